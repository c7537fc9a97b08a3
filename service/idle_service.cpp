#include "idle_service.h"

#include <string>

#include "activity.h"
#include "handles.h"
#include "product.h"

namespace lullan::service {

namespace {

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
SERVICE_STATUS gStatus = {SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_STOPPED, 0, 0, 0, 0, 0};
unique_handle gStopEvent;

void Report(DWORD state, DWORD waitHint = 0) {
  gStatus.dwCurrentState = state;
  gStatus.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  gStatus.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : gStatus.dwCheckPoint + 1;
  gStatus.dwWaitHint = waitHint;
  ::SetServiceStatus(gStatusHandle, &gStatus);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      Report(SERVICE_STOP_PENDING, 2000);
      ::SetEvent(gStopEvent.get());
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD argc, LPWSTR* argv) {
  // The name the manager started us under: the service control manager
  // insists on it when the handler registers.
  const wchar_t* name = argc > 0 && argv[0] ? argv[0] : kIdleServiceName;
  gStatusHandle = ::RegisterServiceCtrlHandlerExW(name, &ControlHandler, nullptr);
  if (!gStatusHandle) return;
  Report(SERVICE_START_PENDING, 1000);
  gStopEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!gStopEvent) {
    gStatus.dwWin32ExitCode = ::GetLastError();
    Report(SERVICE_STOPPED);
    return;
  }
  const std::wstring versionKey = VersionKeyPath();
  Report(SERVICE_RUNNING);
  do {
    RecordActivity(versionKey);
  } while (::WaitForSingleObject(gStopEvent.get(), kRecordIntervalMs) == WAIT_TIMEOUT);
  Report(SERVICE_STOPPED);
}

}  // namespace

bool RunIdleService() {
  wchar_t name[] = L"";  // an own-process service: the name is not looked at
  SERVICE_TABLE_ENTRYW table[] = {{name, &ServiceMain}, {nullptr, nullptr}};
  return ::StartServiceCtrlDispatcherW(table) != FALSE;
}

}  // namespace lullan::service
