// lullan.exe: the stand-in for Lullan's idle-logoff service. It runs as the
// service "Lullan" that setup installs, answers the service control manager
// and keeps "sims$" and "PrevUser" up to date for the server control panel.
// It does not log anybody off.
#include <windows.h>

#include <cstdio>

#include "dll_search.h"
#include "idle_service.h"

int wmain() {
  lullan::LimitDllSearch();
  if (lullan::service::RunIdleService()) return 0;
  std::fputs(
      "lullan.exe runs as the service \"Lullan\", which setup.exe installs; start it from the Services tool or with "
      "setup's Start Lullan button.\n",
      stderr);
  return 1;
}
