// The access control list of every configuration key that setup or the
// console creates: Everyone may read, Administrators, the local system and
// the key's creator may do anything. The entries do not inherit, so each key
// that should carry them is secured by its own call.
//
//   Everyone (S-1-1-0)                        KEY_READ
//   BUILTIN\Administrators (S-1-5-32-544)     KEY_ALL_ACCESS
//   LocalSystem (S-1-5-18)                    KEY_ALL_ACCESS
//   CREATOR OWNER (S-1-3-0)                   KEY_ALL_ACCESS
//
// The list replaces only the key's DACL; owner, group and audit entries stay.
#pragma once

#include <windows.h>

#include <string_view>

#include "config_host.h"

namespace lullan::config {

// Secures the key `keyPath` below HKEY_LOCAL_MACHINE. 0 when the new DACL was
// set, ERROR_INVALID_DATA otherwise; failures are reported in message boxes
// owned by `owner`, worded as `program` words them (setup ends the open
// failure's text with a line break, the console does not).
DWORD SetProductKeySecurity(HWND owner, std::wstring_view keyPath, ConfigHost::Program program);

}  // namespace lullan::config
