// profmon's command line: install or remove the service by hand, print the
// usage, or (anything else) run as the service.
#pragma once

#include <string>

namespace lullan::profmon {

struct MonitorCommand {
  enum Kind { kRunService, kInstall, kRemove, kHelp } kind = kRunService;
  std::wstring account;  // -install only; empty for LocalSystem
  std::wstring password;
};

// The first argument decides; the switch character is "-" or "/".
MonitorCommand ParseCommandLine(int argc, const wchar_t* const* argv);

// What wmain does; returns the process exit code.
int RunMonitorProgram(int argc, const wchar_t* const* argv);

}  // namespace lullan::profmon
