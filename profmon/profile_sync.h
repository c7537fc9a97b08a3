// Keeping the workstation's configuration in step with its shared profile.
//
// Once a minute the monitor re-reads its settings (GetRegParams). Every fourth
// cycle it compares the profile's change stamp on the profile server with the
// workstation's own (ProfileChanged); from the first cycle in which they
// differ it copies the profile's subkeys and values over the workstation's
// configuration (GetRemoteConfig) in every cycle until the service restarts.
#pragma once

#include <string>

namespace lullan::profmon {

// One monitoring cycle.
void GetRegParams();

// True only when both stamps could be read and differ.
bool ProfileChanged();

// True when the copy ran to its end (single values that cannot be copied
// don't make it false); false when it cannot start.
bool GetRemoteConfig();

}  // namespace lullan::profmon
