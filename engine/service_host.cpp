#include "service_host.h"

#include "critical_section.h"
#include "engine.h"
#include "event_ids.h"
#include "handles.h"
#include "product.h"
#include "session_process.h"

namespace lullan::engine {

namespace {

// The stop waits for the agents (EngineOptions::agentQuitWait) and the pipe thread.
constexpr DWORD kStopWaitHint = 5000;

// The status record and the engine are shared by the dispatcher's thread (the
// control handler) and the service main.
CriticalSection gLock;
SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
SERVICE_STATUS gStatus = {SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_STOPPED, 0, 0, 0, 0, 0};
unique_handle gStopEvent;
Engine* gEngine = nullptr;

void Report(DWORD state, DWORD waitHint = 0, DWORD exitCode = NO_ERROR) {
  CriticalSectionLock hold(gLock);
  gStatus.dwCurrentState = state;
  gStatus.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN |
                                                              SERVICE_ACCEPT_SESSIONCHANGE | SERVICE_ACCEPT_POWEREVENT
                                                        : 0;
  gStatus.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : gStatus.dwCheckPoint + 1;
  gStatus.dwWaitHint = waitHint;
  gStatus.dwWin32ExitCode = exitCode;
  ::SetServiceStatus(gStatusHandle, &gStatus);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD eventType, LPVOID, LPVOID) {
  switch (control) {
    case SERVICE_CONTROL_POWEREVENT: {
      CriticalSectionLock hold(gLock);
      if (gEngine && IsResume(control, eventType)) gEngine->reports().Push(Resumed{});
      return NO_ERROR;
    }
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      Report(SERVICE_STOP_PENDING, kStopWaitHint);
      ::SetEvent(gStopEvent.get());
      return NO_ERROR;
    case SERVICE_CONTROL_SESSIONCHANGE: {
      CriticalSectionLock hold(gLock);
      if (gEngine) gEngine->reports().Push(SessionsChanged{});
      return NO_ERROR;
    }
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD argc, LPWSTR* argv) {
  // The name the manager started us under: it insists on it when the handler registers.
  const wchar_t* name = argc > 0 && argv[0] ? argv[0] : kIdleServiceName;
  gStatusHandle = ::RegisterServiceCtrlHandlerExW(name, &ControlHandler, nullptr);
  if (!gStatusHandle) return;
  Report(SERVICE_START_PENDING, 3000);
  gStopEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  EngineOptions options;
  options.versionKeyPath = VersionKeyPath();
  options.agentProgram = ThisProgram();
  Engine engine(std::move(options));
  if (!gStopEvent || !engine.Start()) {
    Report(SERVICE_STOPPED, 0, ::GetLastError());
    return;
  }
  {
    CriticalSectionLock hold(gLock);
    gEngine = &engine;
  }
  Report(SERVICE_RUNNING);
  EngineLog::Event(kEventEngineStarted, {});
  engine.Run(gStopEvent.get());

  Report(SERVICE_STOP_PENDING, kStopWaitHint);
  EngineLog::Event(kEventEngineStopping, {});
  {
    CriticalSectionLock hold(gLock);
    gEngine = nullptr;
  }
  engine.Stop();
  Report(SERVICE_STOPPED);
}

}  // namespace

bool IsResume(DWORD control, DWORD eventType) {
  return control == SERVICE_CONTROL_POWEREVENT &&
         (eventType == PBT_APMRESUMEAUTOMATIC || eventType == PBT_APMRESUMESUSPEND ||
          eventType == PBT_APMRESUMECRITICAL);
}

bool RunEngineService() {
  wchar_t name[] = L"";  // an own-process service: the name is not looked at
  SERVICE_TABLE_ENTRYW table[] = {{name, &ServiceMain}, {nullptr, nullptr}};
  return ::StartServiceCtrlDispatcherW(table) != FALSE;
}

}  // namespace lullan::engine
