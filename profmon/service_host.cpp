#include "service_host.h"

#include <process.h>

#include <exception>

#include "critical_section.h"
#include "event_ids.h"
#include "handles.h"
#include "monitor_events.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "platform.h"
#include "product.h"
#include "profile_sync.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {

constexpr DWORD kCycleMilliseconds = 60000;
// The stop sequence reports this wait hint and gives a cycle in progress most
// of it to end. A cycle stuck longer (a profile server that does not answer
// can hold a connection for tens of seconds) ends with the process.
constexpr DWORD kStopWaitHint = 10000;
constexpr DWORD kMonitorThreadWait = kStopWaitHint - 2000;

// The status record is written by the dispatcher's thread (the control
// handler), the service main and, when a cycle aborts, the monitor thread.
CriticalSection gStatusLock;
SERVICE_STATUS gStatus = {SERVICE_WIN32_OWN_PROCESS, 0, 0, 0, 0, 0, 0};
SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
DWORD gCheckPoint = 1;
DWORD gExitCodeAtStop = NO_ERROR;  // ERROR_SERVICE_SPECIFIC_ERROR once AbortService runs

// The service main waits on it while the service runs; the stop sequence
// signals it, so that no thread of the service still waits on it when the
// process ends.
unique_handle gServiceWaitEvent;
// Set by the stop sequence; the monitor thread waits on it between cycles.
unique_handle gMonitorStopEvent;
unique_handle gMonitorThread;
DWORD gMonitorThreadId = 0;

unsigned __stdcall MonitorThread(void*) {
  do {
    RunMonitorCycle();
  } while (::WaitForSingleObject(gMonitorStopEvent.get(), kCycleMilliseconds) == WAIT_TIMEOUT);
  return 0;
}

// Tells the monitor thread to stop and gives a cycle in progress `timeoutMs`
// to end. The thread itself (a cycle that aborts) does not wait for itself.
void EndMonitorThread(DWORD timeoutMs) {
  if (gMonitorStopEvent) ::SetEvent(gMonitorStopEvent.get());
  if (::GetCurrentThreadId() != gMonitorThreadId) WaitForMonitorThread(timeoutMs);
}

BOOL ReportLocked(DWORD currentState, DWORD exitCode, DWORD waitHint) {
  gStatus.dwControlsAccepted = currentState == SERVICE_START_PENDING ? 0 : SERVICE_ACCEPT_STOP;
  if (currentState == SERVICE_RUNNING || currentState == SERVICE_STOPPED) {
    gStatus.dwCheckPoint = 0;
  } else {
    gStatus.dwCheckPoint = gCheckPoint++;
  }
  gStatus.dwCurrentState = currentState;
  gStatus.dwWin32ExitCode = exitCode;
  gStatus.dwWaitHint = waitHint;
  return ::SetServiceStatus(gStatusHandle, &gStatus);
}

}  // namespace

SERVICE_STATUS CurrentServiceStatus() {
  Locked locked(gStatusLock);
  return gStatus;
}

void RunMonitorCycle() noexcept {
  // No exception may end the monitor: not on the monitor thread, and not
  // through the service main, which the service control dispatcher calls.
  try {
    try {
      GetRegParams();
    } catch (const std::exception& e) {
      LogLine(FormatText(L"Error: monitoring cycle ended early: %s", Widen(e.what()).c_str()));
    } catch (...) {
      LogLine(L"Error: monitoring cycle ended early");
    }
  } catch (...) {
    // Not even the line could be written; the next cycle tries again.
  }
}

bool StartMonitorThread() {
  gMonitorStopEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!gMonitorStopEvent) return false;
  // Started suspended, so that a cycle that aborts at once already finds
  // itself known as the monitor thread.
  unsigned id = 0;
  gMonitorThread.reset(
      reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, MonitorThread, nullptr, CREATE_SUSPENDED, &id)));
  if (!gMonitorThread) return false;
  gMonitorThreadId = id;
  ::ResumeThread(gMonitorThread.get());
  return true;
}

bool WaitForMonitorThread(DWORD timeoutMs) {
  return !gMonitorThread || ::WaitForSingleObject(gMonitorThread.get(), timeoutMs) == WAIT_OBJECT_0;
}

BOOL ReportServiceStatus(DWORD currentState, DWORD exitCode, DWORD waitHint) {
  Locked locked(gStatusLock);
  return ReportLocked(currentState, exitCode, waitHint);
}

void ServiceInitialization() {
  Monitor().configKeyPath = FormatText(L"%s\\%s", kProductKey, kVersionName);
  RunMonitorCycle();
}

void StopMonitor() {
  ReportServiceStatus(SERVICE_STOP_PENDING, 0, kStopWaitHint);
  std::wstring text = FormatText(L"%s stopped", kMonitorDisplayName);
  ReportMonitorEvent(kEventMonitorStopping);
  // The lines of a cycle that ends in time come before the stop line.
  EndMonitorThread(kMonitorThreadWait);
  SYSTEMTIME now;
  platform().clock->GetLocalTime(&now);
  Log().CloseForGood(now, text, Monitor().logging);
  if (gServiceWaitEvent) ::SetEvent(gServiceWaitEvent.get());
  Locked locked(gStatusLock);
  ReportLocked(SERVICE_STOPPED, gExitCodeAtStop, 0);
}

void WINAPI MonitorControlHandler(DWORD control) {
  if (control == SERVICE_CONTROL_STOP) {
    ReportServiceStatus(SERVICE_STOP_PENDING, 0, 0);
    StopMonitor();
    return;
  }
  Locked locked(gStatusLock);
  ReportLocked(gStatus.dwCurrentState, 0, 0);
}

void StopAfterFailure(UINT exitCode, const std::wstring& text) {
  if (Log().IsOpen()) LogLine(text);
  // Recorded before the box, which may wait long for someone to answer it.
  ReportMonitorEvent(kEventMonitorFailed, text);
  ::MessageBoxW(nullptr, text.c_str(), kMonitorServiceName, MB_SERVICE_NOTIFICATION | MB_ICONEXCLAMATION);
  {
    // The service control manager, and its recovery actions, see a failure.
    Locked locked(gStatusLock);
    gExitCodeAtStop = ERROR_SERVICE_SPECIFIC_ERROR;
    gStatus.dwServiceSpecificExitCode = exitCode;
  }
  MonitorControlHandler(SERVICE_CONTROL_STOP);
}

void AbortService(UINT exitCode, const std::wstring& text) {
  StopAfterFailure(exitCode, text);
  ::ExitProcess(exitCode);
}

void WINAPI MonitorServiceMain(DWORD, LPWSTR*) {
  gStatusHandle = ::RegisterServiceCtrlHandlerW(kMonitorServiceName, MonitorControlHandler);
  if (!gStatusHandle) {
    DebugLine(FormatText(L"RegisterServiceCtrlHandler error %d", static_cast<int>(::GetLastError())));
    return;
  }
  {
    Locked locked(gStatusLock);
    gStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    gStatus.dwServiceSpecificExitCode = 0;
  }

  if (ReportServiceStatus(SERVICE_START_PENDING, 0, 2000)) {
    ServiceInitialization();
    ReportServiceStatus(SERVICE_START_PENDING, 0, 1000);
    gServiceWaitEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (gServiceWaitEvent) {
      ReportServiceStatus(SERVICE_START_PENDING, 0, 1500);
      if (!StartMonitorThread()) {
        gServiceWaitEvent.reset();
        LogLine(L"failed to create main service thread");
      } else {
        // The thread's handle stays open: the stop sequence waits on it.
        ReportServiceStatus(SERVICE_RUNNING, 0, 0);
        ReportMonitorEvent(kEventMonitorStarted);
        ::WaitForSingleObject(gServiceWaitEvent.get(), INFINITE);
        return;  // the stop sequence reports STOPPED
      }
    }
  }
  ReportServiceStatus(SERVICE_STOPPED, 0, 0);
}

bool RunServiceDispatcher() {
  wchar_t name[ARRAYSIZE(kMonitorServiceName)];
  CopyText(name, ARRAYSIZE(name), kMonitorServiceName);
  SERVICE_TABLE_ENTRYW table[] = {{name, MonitorServiceMain}, {nullptr, nullptr}};
  if (::StartServiceCtrlDispatcherW(table)) {
    // A monitor thread still inside a cycle the stop could not wait out (a
    // profile server that does not answer) ends with the process here, before
    // the runtime's exit tears down what it uses: the log, the monitor state.
    // After an abort, the thread that aborted is ending the process with its
    // exit code; this one ends it with the same.
    UINT abortExitCode = 0;
    {
      Locked locked(gStatusLock);
      if (gExitCodeAtStop == ERROR_SERVICE_SPECIFIC_ERROR) abortExitCode = gStatus.dwServiceSpecificExitCode;
    }
    if (abortExitCode != 0 || !WaitForMonitorThread(0)) ::ExitProcess(abortExitCode);
    return true;
  }
  ReportMonitorEvent(kEventDispatcherFailed);
  return false;
}

}  // namespace lullan::profmon
