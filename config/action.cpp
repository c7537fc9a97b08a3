#include "action.h"

namespace lullan::config {

const wchar_t* ActionText(Action action) {
  switch (action) {
    case Action::Shutdown:
      return kActionShutdown;
    case Action::Reboot:
      return kActionReboot;
    case Action::Logoff:
      break;
  }
  return kActionLogoff;
}

std::optional<Action> ActionFromText(std::wstring_view text) {
  if (text.empty()) return std::nullopt;
  switch (text.front()) {
    case L'l':
    case L'L':
      return Action::Logoff;
    case L's':
    case L'S':
      return Action::Shutdown;
    case L'r':
    case L'R':
      return Action::Reboot;
    default:
      return std::nullopt;
  }
}

Action PageAction(std::wstring_view text) { return ActionFromText(text).value_or(Action::Logoff); }

}  // namespace lullan::config
