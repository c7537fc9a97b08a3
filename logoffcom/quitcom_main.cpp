// quitcom.dll's entry point.
#include <windows.h>

#include "quitcom_component.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
  lullan::SetQuitcomModule(instance);
  return TRUE;
}
