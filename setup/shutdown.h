// The restart a removal offers, so that files in use can go.
#pragma once

#include <windows.h>

namespace lullan::setup {

class CSetupApp;

// Enables SeShutdownPrivilege in this process's token; each failure is
// reported through ReportError and ends the attempt.
void EnableShutdownPrivilege(HWND owner);

// Enables the privilege and restarts the machine (not forced) through the
// system-exit seam, also when enabling the privilege failed.
void RestartComputer(HWND owner);

}  // namespace lullan::setup
