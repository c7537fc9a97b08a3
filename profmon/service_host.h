// profmon as the service LConfigMon: the service entry point, the control
// handler, the status reports and the stop sequence.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::profmon {

void WINAPI MonitorServiceMain(DWORD argc, LPWSTR* argv);
void WINAPI MonitorControlHandler(DWORD control);
// Fills the status record and sends it; the result of SetServiceStatus.
BOOL ReportServiceStatus(DWORD currentState, DWORD exitCode, DWORD waitHint);
// Forms the configuration key path and runs the first cycle.
void ServiceInitialization();
// One monitoring cycle (GetRegParams), as the service main and the monitor
// thread run it: an exception ends the cycle with a log line, never the
// service.
void RunMonitorCycle() noexcept;
// Starts the monitor thread: a cycle now, then one a minute after the end of
// the last, until the stop sequence tells it to stop.
bool StartMonitorThread();
// True when the monitor thread has ended (or never ran) within `timeoutMs`.
bool WaitForMonitorThread(DWORD timeoutMs);
// The stop sequence: reports STOP_PENDING with a wait hint, tells the monitor
// thread to stop and waits for it within that hint, logs the stop line,
// closes the log, lets the service main return and reports STOPPED.
void StopMonitor();
// Logs `text`, reports it in an error event, shows it on the interactive
// desktop, stops the service with `exitCode` as its service-specific exit
// code and ends the process with `exitCode`.
[[noreturn]] void AbortService(UINT exitCode, const std::wstring& text);
// All of AbortService but the end of the process.
void StopAfterFailure(UINT exitCode, const std::wstring& text);

// Runs the service control dispatcher until the service has stopped; a
// monitor thread that is still running then ends with the process. When the
// dispatcher cannot start (profmon was run from a console) reports that and
// returns false.
bool RunServiceDispatcher();

// A copy of the status record as last reported (for diagnostics and tests).
SERVICE_STATUS CurrentServiceStatus();

}  // namespace lullan::profmon
