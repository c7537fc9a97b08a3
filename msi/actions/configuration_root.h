// The configuration root the package leaves on a workstation, as setup.exe
// leaves it: the version key with "InstallDir" and an empty "Groups" subkey,
// both secured, and (when the administrator asked for one) the assignment of
// a shared profile, written as the console writes it.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::msi {

struct ConfigurationRoot {
  std::wstring versionKey;    // below HKEY_LOCAL_MACHINE
  std::wstring installDir;    // without a trailing backslash
  std::wstring profile = {};  // empty: no assignment
  std::wstring server = {};   // the profile server's computer name
  DWORD stamp = 0;            // ProfileLastChanged of the assignment, packed local time
};

// Writes the root; values the key holds already (an upgrade, a repair, a
// configuration made before) stay unless named here. Empty on success, else
// what failed, in words for the administrator.
std::wstring WriteConfigurationRoot(const ConfigurationRoot& root);

// Deletes the version key with every subkey (the product key and other
// versions' keys stay). ERROR_SUCCESS also when it was gone already.
DWORD RemoveConfigurationRoot(const std::wstring& versionKey);

// The mark a newer package sets below the product key while it removes the
// older one: that removal keeps the configuration for it. Volatile, so a
// mark left by an upgrade that died goes with the next restart.
DWORD MarkUpgrade(const std::wstring& productKey);
bool UpgradeMarked(const std::wstring& productKey);
void ClearUpgradeMark(const std::wstring& productKey);

}  // namespace lullan::msi
