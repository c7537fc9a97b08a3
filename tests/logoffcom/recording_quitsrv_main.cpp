// Entry point of the test build of quitsrv.exe: the product's code with a
// system exit that records instead of ending the session.
#include <windows.h>

#include "quitsrv_server.h"
#include "recorded_exit.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR arguments, int /*show*/) {
  lullan::test::InstallRegistrySystemExit();
  return lullan::RunQuitsrv(arguments);
}
