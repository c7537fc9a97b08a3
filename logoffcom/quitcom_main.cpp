// quitcom.dll's entry point.
#include <windows.h>

#include "quitcom_component.h"

// Unlike the programs, the component leaves the library search alone
// (lullan::LimitDllSearch): the search order belongs to the process that
// loaded it, logoff.exe or any other client. It loads no library by name
// itself: its type library is read from its own file, by full path.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
  lullan::SetQuitcomModule(instance);
  return TRUE;
}
