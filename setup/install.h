// The installation, once its type is chosen: the earlier version's settings,
// the service account, the destination directory and the copy, then the
// configuration root and its security, the event-log source, the
// Add/Remove Programs entry, the components, the services, the Start-menu
// shortcut and, on a profile server, the standard shared profiles.
#pragma once

#include <windows.h>

namespace lullan::setup {

class CSetupApp;

// Runs the installation, reporting everything itself; true when it reached
// its end (the services were created), false when it was cancelled or
// stopped at a fatal step, with what was done before left in place.
bool Install(CSetupApp& app, HWND owner);

}  // namespace lullan::setup
