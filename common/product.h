// The names by which the suite finds its configuration and the services it
// installs. Every key path is formed here and nowhere else.
#pragma once

#include <string>
#include <string_view>

namespace lullan {

inline constexpr wchar_t kProductKey[] = L"SOFTWARE\\Fennick\\Lullan";
inline constexpr wchar_t kVersionName[] = L"1.11";
inline constexpr wchar_t kConsoleSubkey[] = L"Tarnel";
inline constexpr wchar_t kProfilesSubkey[] = L"Profiles";
inline constexpr wchar_t kGroupsSubkey[] = L"Groups";

// "SOFTWARE\Fennick\Lullan\1.11": the product key joined with the version by "%s\%s".
std::wstring VersionKeyPath();
// The version key and "\Tarnel": the console's own key on a profile server.
std::wstring ConsoleKeyPath();
// "%s\Tarnel\Profiles\%s" from the version key path and the profile name.
std::wstring ProfileKeyPath(std::wstring_view versionKeyPath, std::wstring_view profile);
inline std::wstring ProfileKeyPath(std::wstring_view profile) { return ProfileKeyPath(VersionKeyPath(), profile); }
// The console key and "\<machine>": the console's working copy of a machine's configuration.
std::wstring LocalCopyKeyPath(std::wstring_view machine);
// Any configuration key and "\Groups".
std::wstring GroupsKeyPath(std::wstring_view configurationKeyPath);

// The idle-logoff service "Lullan" (installed by setup, configured by the suite).
inline constexpr wchar_t kIdleServiceName[] = L"Lullan";
inline constexpr wchar_t kIdleServiceDisplayName[] = L"Lullan";
inline constexpr wchar_t kIdleServiceDescription[] = L"Idle user logoff utility";
inline constexpr wchar_t kIdleServiceBinaryFormat[] = L"%s\\%s.exe";  // installation directory, service name
inline constexpr wchar_t kIdleServiceDependencies[] = L"RpcSs\0";     // double-terminated list
inline constexpr wchar_t kEventSource[] = L"Lullan";                  // Application log; message file below
inline constexpr wchar_t kEventMessageFile[] = L"lullanMsg.dll";

// The configuration monitor service.
inline constexpr wchar_t kMonitorServiceName[] = L"LConfigMon";
inline constexpr wchar_t kMonitorDisplayName[] = L"Lullan Configuration Monitor";

// The Windows Installer package's family: every version of lullan.msi has
// this upgrade code, so a newer package replaces an older one and setup.exe
// can tell that the package installed the product.
inline constexpr wchar_t kPackageUpgradeCode[] = L"{5E0C3A61-9F2B-4E7A-B8C4-2D6F1A9E7B31}";

}  // namespace lullan
