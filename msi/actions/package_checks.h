// What the package checks before it changes anything, and the forms in which
// it hands its public properties on.
#pragma once

#include <string>
#include <string_view>

namespace lullan::msi {

// The text that refuses an installation where setup.exe installed the
// product, and whether it did: its Add/Remove Programs entry "FenLullan"
// exists in either registry view (setup.exe of either architecture).
extern const wchar_t kInstalledBySetup[];
bool InstalledBySetup();

// A profile server named as PLS takes it: the computer's name, without the
// backslashes an administrator may put in front ("\\SERVER").
std::wstring ServerName(std::wstring_view pls);

// Why PROFILE and PLS (as ServerName gave it) cannot be assigned, or empty
// when they can (both empty: no assignment). A profile's name is a key below
// the server's "Profiles" key (at most 63 characters, no backslash); the
// server is a computer name (at most 15 characters).
std::wstring AssignmentError(std::wstring_view profile, std::wstring_view server);

// Why MONITORACCOUNT and MONITORPASSWORD cannot make the configuration
// monitor's service, or empty when they can (both empty: no service).
std::wstring MonitorAccountError(std::wstring_view account, std::wstring_view password);

// A folder as the product names it: without the backslash Windows Installer
// ends its folder properties with ("C:\Program Files\Lullan").
std::wstring FolderPath(std::wstring_view directoryProperty);

}  // namespace lullan::msi
