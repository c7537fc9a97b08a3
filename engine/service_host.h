// lullan.exe as the service "Lullan": the service control manager starts it,
// it reports its state, runs the engine until the stop control (or the
// system's shutdown) and records its start and stop in the event log.
#pragma once

#include <windows.h>

namespace lullan::engine {

// Runs the service control dispatcher until the service has stopped; false
// when the program was not started by the service control manager.
bool RunEngineService();

}  // namespace lullan::engine
