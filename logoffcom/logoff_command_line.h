// logoff's command line: only the start of the argument text is looked at.
// A "/" or "-" followed by a letter picks the mode; everything after that
// letter is ignored, so "/shutdown", "/s" and "-Sleep" all shut down.
#pragma once

#include <string_view>

namespace lullan {

enum class LogoffMode {
  kLogoff,    // the default, also for letters outside the table
  kShutdown,  // "s"
  kReboot,    // "r"
  kInstall,   // "i": register quitcom.dll
  kUsage,     // "?" or "h": show the usage box and do nothing else
};

LogoffMode ParseLogoffCommandLine(std::string_view arguments);

}  // namespace lullan
