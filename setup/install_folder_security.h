// How setup gives the installation folder, and the files it copies in, the
// list every installer of the product gives them (common/install_folder_access.h).
#pragma once

#include <windows.h>

#include <string>

#include "install_folder_access.h"

namespace lullan::setup {

// Give the folder, or one file in it, its list and its owner; false when
// that failed, after saying so ("Can't secure directory %s", "Can't secure
// file %s", with the system's reason) in a box owned by `owner`.
bool SecureInstallFolder(HWND owner, const std::wstring& folder);
bool SecureInstalledFile(HWND owner, const std::wstring& file);

// The folder an installation copies into, secured before anything goes in:
// made (one level) with its list when missing, given its list when found.
// One whose parent is missing as well is left to the copy, which makes it
// and secures it then. False, after saying why, when a folder that is there
// cannot be secured: nothing is to be installed into it.
bool PrepareInstallFolder(HWND owner, const std::wstring& folder);

}  // namespace lullan::setup
