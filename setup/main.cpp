// setup.exe: installs Lullan on a workstation or a profile server, edits
// this machine's configuration, starts and stops the idle-logoff service and
// removes the product again ("setup /u", the Add/Remove Programs entry).
#include <windows.h>

#include "dll_search.h"
#include "setup_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  lullan::LimitDllSearch();
  lullan::setup::CSetupApp app;
  return app.Run(::GetCommandLineW());
}
