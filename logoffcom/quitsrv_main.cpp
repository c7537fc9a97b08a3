// quitsrv.exe's entry point: a windowless program.
#include <windows.h>

#include "dll_search.h"
#include "quitsrv_server.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR arguments, int /*show*/) {
  lullan::LimitDllSearch();
  return lullan::RunQuitsrv(arguments);
}
