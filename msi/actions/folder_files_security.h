// The package's side of the installation folder's list (one definition for
// every installer: common/install_folder_access.h).
#pragma once

#include <windows.h>

#include <string>

#include "install_folder_access.h"

namespace lullan::msi {

// Gives every file directly in `folder` the inherited list: Windows hands it
// down by itself when a file is made, Wine does not. ERROR_SUCCESS, or the
// first failure's code with `failed` naming the file.
DWORD SecureFolderFiles(const std::wstring& folder, std::wstring* failed);

}  // namespace lullan::msi
