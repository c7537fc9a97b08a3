// logoff.exe's entry point: a windowless program that only shows message boxes.
#include <windows.h>

#include "dll_search.h"
#include "logoff_tool.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR arguments, int /*show*/) {
  lullan::LimitDllSearch();
  return lullan::RunLogoff(arguments);
}
