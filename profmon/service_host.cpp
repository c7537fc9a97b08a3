#include "service_host.h"

#include <process.h>

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

SERVICE_STATUS gStatus = {SERVICE_WIN32_OWN_PROCESS, 0, 0, 0, 0, 0, 0};
SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
DWORD gCheckPoint = 1;
// Nothing signals it: the service main waits here until the process ends
// after the stop sequence.
unique_handle gServiceWaitEvent;
unique_handle gMonitorThread;

unsigned __stdcall MonitorThread(void*) {
  for (;;) {
    RunMonitorCycle();
    ::Sleep(kCycleMilliseconds);
  }
}

}  // namespace

SERVICE_STATUS CurrentServiceStatus() { return gStatus; }

void RunMonitorCycle() { GetRegParams(); }

bool StartMonitorThread() {
  gMonitorThread.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, MonitorThread, nullptr, 0, nullptr)));
  return static_cast<bool>(gMonitorThread);
}

bool WaitForMonitorThread(DWORD timeoutMs) {
  return !gMonitorThread || ::WaitForSingleObject(gMonitorThread.get(), timeoutMs) == WAIT_OBJECT_0;
}

BOOL ReportServiceStatus(DWORD currentState, DWORD exitCode, DWORD waitHint) {
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

void ServiceInitialization() {
  Monitor().configKeyPath = FormatText(L"%s\\%s", kProductKey, kVersionName);
  RunMonitorCycle();
}

void StopMonitor() {
  ReportServiceStatus(SERVICE_STOP_PENDING, 0, 500);
  std::wstring text = FormatText(L"%s stopped", kMonitorDisplayName);
  ReportMonitorEvent(kEventMonitorStopping);
  SYSTEMTIME now;
  platform().clock->GetLocalTime(&now);
  Log().CloseForGood(now, text, Monitor().logging);
  ReportServiceStatus(SERVICE_STOPPED, 0, 0);
}

void WINAPI MonitorControlHandler(DWORD control) {
  if (control == SERVICE_CONTROL_STOP) {
    ReportServiceStatus(SERVICE_STOP_PENDING, 0, 0);
    StopMonitor();
    return;
  }
  ReportServiceStatus(gStatus.dwCurrentState, 0, 0);
}

void StopAfterFailure(UINT /*exitCode*/, const std::wstring& text) {
  if (Log().IsOpen()) LogLine(text);
  ::MessageBoxW(nullptr, text.c_str(), kMonitorServiceName, MB_SERVICE_NOTIFICATION | MB_ICONEXCLAMATION);
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
  gStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  gStatus.dwServiceSpecificExitCode = 0;

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
        ReportServiceStatus(SERVICE_RUNNING, 0, 0);
        ReportMonitorEvent(kEventMonitorStarted);
        ::WaitForSingleObject(gServiceWaitEvent.get(), INFINITE);
      }
    }
  }
  ReportServiceStatus(SERVICE_STOPPED, 0, 0);
}

bool RunServiceDispatcher() {
  wchar_t name[ARRAYSIZE(kMonitorServiceName)];
  CopyText(name, ARRAYSIZE(name), kMonitorServiceName);
  SERVICE_TABLE_ENTRYW table[] = {{name, MonitorServiceMain}, {nullptr, nullptr}};
  if (::StartServiceCtrlDispatcherW(table)) return true;
  ReportMonitorEvent(kEventDispatcherFailed);
  return false;
}

}  // namespace lullan::profmon
