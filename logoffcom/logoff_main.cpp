// logoff.exe's entry point: a windowless program that only shows message boxes.
#include <windows.h>

#include "logoff_tool.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR arguments, int /*show*/) {
  return lullan::RunLogoff(arguments);
}
