// Entry point of the test build of quitcom.dll: the product's code with a
// system exit that records instead of ending the session.
#include <windows.h>

#include "quitcom_component.h"
#include "recorded_exit.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  lullan::SetQuitcomModule(instance);
  if (reason == DLL_PROCESS_ATTACH) lullan::test::InstallRegistrySystemExit();
  return TRUE;
}
