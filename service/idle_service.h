// The stand-in idle-logoff service as the service control manager sees it:
// it registers under whatever name it was installed with ("Lullan"), reports
// its state, answers the stop control, and while it runs keeps "sims$" and
// "PrevUser" of its version key up to date.
#pragma once

#include <windows.h>

namespace lullan::service {

// How often the two values are written.
inline constexpr DWORD kRecordIntervalMs = 5000;

// Runs the service control dispatcher; false when the program was not
// started by the service control manager.
bool RunIdleService();

}  // namespace lullan::service
