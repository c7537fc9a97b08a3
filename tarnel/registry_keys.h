// Registry keys as the console's procedures open them, on this machine or
// on a listed computer through the remote registry seam. A key is owned
// only once its call has succeeded (a failed call's output is no key); the
// call's status is handed back for the messages that name it.
//
//   LSTATUS status = ERROR_SUCCESS;
//   unique_hkey root = ConnectRegistry(L"PC-017", &status);
//   unique_hkey version = OpenKey(root.get(), versionKeyPath, KEY_WRITE, &status);
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "handles.h"

namespace lullan::tarnel {

// RegOpenKeyExW.
unique_hkey OpenKey(HKEY parent, const std::wstring& path, REGSAM access, LSTATUS* status = nullptr);

// RegCreateKeyExW without class or options; `created` tells whether the
// key is new (false when it existed or could not be made).
unique_hkey CreateKey(HKEY parent, const std::wstring& path, REGSAM access, bool* created = nullptr,
                      LSTATUS* status = nullptr);

// HKEY_LOCAL_MACHINE of `computer` (the name as listed, without
// backslashes), through the remote registry seam.
unique_hkey ConnectRegistry(const std::wstring& computer, LSTATUS* status = nullptr);

// The names of a key's subkeys, in index order.
std::vector<std::wstring> SubkeyNames(HKEY key);

}  // namespace lullan::tarnel
