#include "command_line.h"

#include <cwchar>

#include "console.h"
#include "monitor_state.h"
#include "product.h"
#include "service_host.h"
#include "service_install.h"

namespace lullan::profmon {

MonitorCommand ParseCommandLine(int argc, const wchar_t* const* argv) {
  MonitorCommand command;
  if (argc < 2 || !argv[1] || (argv[1][0] != L'-' && argv[1][0] != L'/')) return command;
  const wchar_t* word = argv[1] + 1;
  if (::_wcsnicmp(word, L"ins", 3) == 0) {
    command.kind = MonitorCommand::kInstall;
    if (argc == 4) {
      command.account = argv[2];
      command.password = argv[3];
    }
  } else if (::_wcsnicmp(word, L"rem", 3) == 0) {
    command.kind = MonitorCommand::kRemove;
  } else if (::_wcsicmp(word, L"help") == 0 || word[0] == L'?') {
    command.kind = MonitorCommand::kHelp;
  }
  return command;
}

int RunMonitorProgram(int argc, const wchar_t* const* argv) {
  // Debug starts on and the commands never read the configuration, so their
  // debug lines are always printed.
  const bool debug = Monitor().debug;
  if (debug) Print(L"dbg: in wmain\n");

  MonitorCommand command = ParseCommandLine(argc, argv);
  switch (command.kind) {
    case MonitorCommand::kInstall:
      InstallMonitorService(command.account, command.password);
      return 0;
    case MonitorCommand::kRemove:
      RemoveMonitorService();
      return 0;
    case MonitorCommand::kHelp:
      if (debug) Print(L"dbg: matched help arg\n");
      Print(L"%s -install [username password]  to install the service\n", kMonitorServiceName);
      Print(L"%s -remove                       to remove the service\n", kMonitorServiceName);
      return 0;
    case MonitorCommand::kRunService:
      break;
  }
  return RunServiceDispatcher() ? 0 : 1;
}

}  // namespace lullan::profmon
