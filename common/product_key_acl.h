// The access control list of every configuration key the suite creates:
// Everyone may read, Administrators, the local system and the key's creator
// may do anything. The entries do not inherit, so each key that should carry
// them is secured by its own call.
//
//   Everyone (S-1-1-0)                        KEY_READ
//   BUILTIN\Administrators (S-1-5-32-544)     KEY_ALL_ACCESS
//   LocalSystem (S-1-5-18)                    KEY_ALL_ACCESS
//   CREATOR OWNER (S-1-3-0)                   KEY_ALL_ACCESS
//
// Built once here for setup, the console and the installer package's
// custom actions, which report failures each in their own way.
#pragma once

#include <windows.h>

#include "handles.h"

namespace lullan {

// The list in memory from the process heap; empty when a SID or the list
// could not be built.
unique_heap_memory ProductKeyDacl();

// Replaces the DACL of `key` (opened with WRITE_DAC) by the list; owner,
// group and audit entries stay. ERROR_SUCCESS, or the failing call's code.
DWORD ApplyProductKeyDacl(HKEY key);

}  // namespace lullan
