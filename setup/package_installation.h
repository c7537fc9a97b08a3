// Whether Windows Installer installed Lullan here (lullan.msi). setup.exe then
// neither installs over it nor removes it: the package keeps its own record
// of what it put where, and only it can undo that.
#pragma once

#include <windows.h>

namespace lullan::setup {

extern const wchar_t kInstalledByPackage[];

// True when a product of the package's family (its upgrade code) is installed.
bool InstalledByPackage();

// Says kInstalledByPackage in a box owned by `owner` and returns true when
// the package installed the product: the caller then stops.
bool RefusedForPackage(HWND owner);

}  // namespace lullan::setup
