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
// The stop sequence: reports, logs the stop line, closes the log.
void StopMonitor();
// Logs `text`, shows it on the interactive desktop, stops the service and
// ends the process with `exitCode`.
[[noreturn]] void AbortService(UINT exitCode, const std::wstring& text);

// Runs the service control dispatcher; when it cannot start (profmon was run
// from a console) reports that and returns false.
bool RunServiceDispatcher();

// The status record as last reported (for diagnostics and tests).
const SERVICE_STATUS& CurrentServiceStatus();

}  // namespace lullan::profmon
