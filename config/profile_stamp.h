// The change stamp of a shared profile or of an assignment
// (ProfileLastChanged): the local time of day, packed, from the clock seam.
// The monitors copy a profile over a machine's configuration when the stamps
// differ, so every change to a profile or an assignment writes a new one.
#pragma once

#include <windows.h>

#include "config_key.h"

namespace lullan::config {

// The packed local time of day now.
DWORD CurrentProfileStamp();

// Writes ProfileLastChanged with the current stamp into `key`.
LSTATUS WriteProfileStamp(const ConfigKey& key);

}  // namespace lullan::config
