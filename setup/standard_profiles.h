// The server configuration of a profile-server installation: the console's
// Start-menu shortcut, and the console key with the three standard shared
// profiles "stdLogoff", "stdShutdown" and "stdReboot", every key secured.
// Running it again restores the three profiles; other profiles stay.
#pragma once

#include <windows.h>

namespace lullan::setup {

class CSetupApp;

// Writes the values every standard profile starts with (all REG_DWORD);
// false for a null key. Single failures are not looked at.
bool WriteProfileDefaults(HKEY profile);

// Reports its own failures; a key that cannot be created ends the step with
// what was made so far left in place.
void CreateStandardProfiles(const CSetupApp& app, HWND owner);

}  // namespace lullan::setup
