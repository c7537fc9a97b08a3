// What the stand-in idle-logoff service keeps in its version key for the
// console to show: "sims$", how long the interactive user has been idle, and
// "PrevUser", the user of the interactive session. It logs nobody off.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lullan::service {

// The names the console reads them by (config/schema.h spells them for the
// suite; the service, outside it, spells them here).
inline constexpr wchar_t kSimsValue[] = L"sims$";
inline constexpr wchar_t kPrevUserValue[] = L"PrevUser";

// Seconds since the last keyboard or mouse input of the interactive session.
DWORD IdleSeconds();

// The user logged on at the console, when there is one.
std::optional<std::wstring> InteractiveUser();

// Writes "sims$" (the idle seconds) and, when someone is logged on,
// "PrevUser" into the version key `versionKey` under HKEY_LOCAL_MACHINE. A
// machine without the key (the product not installed) gets nothing.
bool RecordActivity(const std::wstring& versionKey);

}  // namespace lullan::service
