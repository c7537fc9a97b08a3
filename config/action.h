// `Action`: what the idle-logoff service does when the idle time expires. It
// is written as one of three texts and read by its first letter.
#pragma once

#include <optional>
#include <string_view>

namespace lullan::config {

enum class Action { Logoff, Shutdown, Reboot };

inline constexpr wchar_t kActionLogoff[] = L"Logoff";
inline constexpr wchar_t kActionShutdown[] = L"Shutdown";
inline constexpr wchar_t kActionReboot[] = L"Reboot";

// The text written for `action`.
const wchar_t* ActionText(Action action);

// The action a stored text names by its first letter, in either case: 'l'
// Logoff, 's' Shutdown, 'r' Reboot. Any other text, the empty one included,
// names none (the console shows such a machine's action as unknown).
std::optional<Action> ActionFromText(std::wstring_view text);

// What the pages show: a text that names no action, an empty text and an
// absent value (pass an empty text) read as Logoff.
Action PageAction(std::wstring_view text);

}  // namespace lullan::config
