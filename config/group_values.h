// The Groups subkey: one REG_DWORD per monitored domain global group, named by
// a prefix letter for its kind followed by the group's name exactly as the
// domain lists it. A minutes group holds idle minutes (1 to 10080), a
// clock-time group a packed time of day. The values are the whole list; a
// group has at most one of the two.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lullan::config {

enum class GroupKind { Minutes, ClockTime };

inline constexpr wchar_t kMinutesPrefix = L'm';
inline constexpr wchar_t kClockTimePrefix = L'd';

// "%c%s" of the kind's prefix and the group's name: "mDomain Users".
std::wstring GroupValueName(GroupKind kind, std::wstring_view group);

// The kind a group leaves behind when it changes kind: its value under this
// kind's prefix is deleted.
constexpr GroupKind OtherKind(GroupKind kind) {
  return kind == GroupKind::Minutes ? GroupKind::ClockTime : GroupKind::Minutes;
}

struct GroupValue {
  GroupKind kind;
  std::wstring group;
};

// The kind and group a value name stands for; nullopt for a name with neither
// prefix or with no group name after it.
std::optional<GroupValue> ParseGroupValueName(std::wstring_view name);

}  // namespace lullan::config
