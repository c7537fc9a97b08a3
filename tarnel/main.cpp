// tarnel.exe: the Lullan server control panel, run on a domain's profile server.
#include <windows.h>

#include <exception>

#include "dll_search.h"
#include "message_box.h"
#include "server_panel_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lullan::LimitDllSearch();
  UINT exitCode = 0;
  try {
    lullan::tarnel::CServerPanelApp app;
    exitCode = static_cast<UINT>(app.Run());
  } catch (const std::exception& e) {
    lullan::ui::ShowUnexpectedError(nullptr, e.what());
    exitCode = 1;
  }
  // Scan threads still waiting on a computer end with the process here,
  // rather than run on while the runtime shuts down around them.
  ::ExitProcess(exitCode);
}
