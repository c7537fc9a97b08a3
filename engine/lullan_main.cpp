// lullan.exe: the idle-logoff service "Lullan" that setup installs, and,
// started with /agent, its agent in a user's session.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "agent_dlg.h"
#include "dll_search.h"
#include "service_host.h"

int wmain(int argc, wchar_t** argv) {
  lullan::LimitDllSearch();
  if (argc == 2 && (::_wcsicmp(argv[1], L"/agent") == 0 || ::_wcsicmp(argv[1], L"-agent") == 0))
    return lullan::engine::RunAgent();
  if (lullan::engine::RunEngineService()) return 0;
  std::fputs(
      "lullan.exe runs as the service \"Lullan\", which setup.exe installs; start it from the Services tool or with "
      "setup's Start Lullan button.\n",
      stderr);
  return 1;
}
