// lullan.exe as the service "Lullan": the service control manager starts it,
// it reports its state, runs the engine until the stop control (or the
// system's shutdown) and records its start and stop in the event log.
#pragma once

#include <windows.h>

namespace lullan::engine {

// Runs the service control dispatcher until the service has stopped; false
// when the program was not started by the service control manager.
bool RunEngineService();

// Whether a control of the service control manager (and its event type) says
// the machine resumed from sleep or hibernation: the engine then decides at
// once instead of at its next timer.
bool IsResume(DWORD control, DWORD eventType);

}  // namespace lullan::engine
