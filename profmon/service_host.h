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
// thread run it.
void RunMonitorCycle();
// Starts the monitor thread, which runs a cycle once a minute.
bool StartMonitorThread();
// True when the monitor thread has ended (or never ran) within `timeoutMs`.
bool WaitForMonitorThread(DWORD timeoutMs);
// The stop sequence: reports, logs the stop line, closes the log.
void StopMonitor();
// Logs `text`, shows it on the interactive desktop, stops the service and
// ends the process with `exitCode`.
[[noreturn]] void AbortService(UINT exitCode, const std::wstring& text);
// All of AbortService but the end of the process.
void StopAfterFailure(UINT exitCode, const std::wstring& text);

// Runs the service control dispatcher; when it cannot start (profmon was run
// from a console) reports that and returns false.
bool RunServiceDispatcher();

// The status record as last reported (for diagnostics and tests).
SERVICE_STATUS CurrentServiceStatus();

}  // namespace lullan::profmon
