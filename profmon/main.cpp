// profmon: the configuration monitor. Run by hand it installs or removes the
// service LConfigMon; started by the service control manager it keeps this
// workstation's configuration in step with its shared profile.
#include "command_line.h"
#include "dll_search.h"

int wmain(int argc, wchar_t** argv) {
  lullan::LimitDllSearch();
  return lullan::profmon::RunMonitorProgram(argc, argv);
}
