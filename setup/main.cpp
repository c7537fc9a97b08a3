// setup.exe: installs Lullan on a workstation or a profile server, edits
// this machine's configuration, starts and stops the idle-logoff service and
// removes the product again ("setup /u", the Add/Remove Programs entry).
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "setup_app.h"

// setup has no console. The library's verbose terminate handler would spell
// out an escaped exception's type on a standard error nobody reads, and it
// brings the whole C++ demangler (some 45 KB) into the program; ending at
// once is what the administrator sees either way.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  lullan::setup::CSetupApp app;
  return app.Run(::GetCommandLineW());
}
