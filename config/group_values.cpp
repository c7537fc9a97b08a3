#include "group_values.h"

namespace lullan::config {

std::wstring GroupValueName(GroupKind kind, std::wstring_view group) {
  std::wstring name(1, kind == GroupKind::Minutes ? kMinutesPrefix : kClockTimePrefix);
  name.append(group);
  return name;
}

std::optional<GroupValue> ParseGroupValueName(std::wstring_view name) {
  if (name.size() < 2) return std::nullopt;
  GroupKind kind;
  if (name.front() == kMinutesPrefix) {
    kind = GroupKind::Minutes;
  } else if (name.front() == kClockTimePrefix) {
    kind = GroupKind::ClockTime;
  } else {
    return std::nullopt;
  }
  return GroupValue{kind, std::wstring(name.substr(1))};
}

}  // namespace lullan::config
