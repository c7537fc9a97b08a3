#include "logoff_command_line.h"

namespace lullan {

LogoffMode ParseLogoffCommandLine(std::string_view arguments) {
  if (arguments.size() < 2 || (arguments[0] != '/' && arguments[0] != '-')) return LogoffMode::kLogoff;
  switch (arguments[1]) {
    case '?':
    case 'h':
    case 'H':
      return LogoffMode::kUsage;
    case 'i':
    case 'I':
      return LogoffMode::kInstall;
    case 'r':
    case 'R':
      return LogoffMode::kReboot;
    case 's':
    case 'S':
      return LogoffMode::kShutdown;
    default:
      return LogoffMode::kLogoff;
  }
}

}  // namespace lullan
