// Registry keys as the console's procedures open them: on another computer,
// reached through the remote registry seam (its version key among them), or
// on this one. Each key is owned from the moment a call has opened it; a
// call that fails leaves no key and says why.
#pragma once

#include <windows.h>

#include <string>

#include "console_messages.h"
#include "handles.h"

namespace lullan::tarnel {

// HKEY_LOCAL_MACHINE of `computer` (the name as listed), or no key and the
// error in `status`.
unique_hkey ConnectRegistry(const std::wstring& computer, LSTATUS* status = nullptr);
unique_hkey OpenKey(HKEY parent, const std::wstring& path, REGSAM access, LSTATUS* status = nullptr);
// RegCreateKeyExW without class or options; `created` tells whether the key
// is new (false when it existed or could not be made).
unique_hkey CreateKey(HKEY parent, const std::wstring& path, REGSAM access, LSTATUS* status = nullptr,
                      bool* created = nullptr);

// The version key below a computer's registry root, opened with `access`:
// the product key is opened for reading and FindVersionKey (computer_probe.h)
// names the version under it. `path` is the version key's path, or, when
// the product key itself could not be opened, the product key's: the key
// that a failure (no key) names.
unique_hkey OpenVersionKey(HKEY root, REGSAM access, std::wstring& path, MessageSink& messages,
                           LSTATUS* status = nullptr);

// "Can't open registry key %s on %s", and why.
std::wstring CantOpenRemoteKey(const std::wstring& path, const std::wstring& computer, LSTATUS status);
// "Can't connect to %s's registry", and why.
std::wstring CantConnect(const std::wstring& computer, LSTATUS status);

}  // namespace lullan::tarnel
