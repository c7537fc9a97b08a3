// "Start/Stop" of the main dialog, and the service manager calls it makes on
// the workstation.
#include "service_control.h"

#include <algorithm>

#include "background_call.h"
#include "message_box.h"
#include "platform.h"
#include "product.h"
#include "server_panel_dlg.h"
#include "service_state.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

// A start is followed while the service reports progress, as the service
// manager's own tools do: a look every tenth of the wait it hints at (within
// these bounds), and no longer than the hint without progress.
constexpr DWORD kShortestLookMs = 250;
constexpr DWORD kLongestLookMs = 10000;
// However long a service keeps reporting progress, the dialog waits no longer.
constexpr DWORD kLongestStartMs = 120000;

// The result line begins with the service's name.
std::wstring ServiceLine() { return FormatText(L"%s service", kIdleServiceName); }

struct StartOutcome {
  enum Kind { Running, Failed, StillStarting } kind;
  DWORD error = ERROR_SUCCESS;  // why it failed
};

StartOutcome StartAndFollow(RemoteServiceManager& services, SC_HANDLE service) {
  if (!services.Start(service)) return {StartOutcome::Failed, ::GetLastError()};
  SERVICE_STATUS status{};
  // A service whose state cannot be read is taken at the word of its start.
  if (!services.QueryStatus(service, &status)) return {StartOutcome::Running};
  const DWORD began = ::GetTickCount();
  DWORD progressed = began;
  DWORD checkPoint = status.dwCheckPoint;
  while (status.dwCurrentState == SERVICE_START_PENDING) {
    const DWORD now = ::GetTickCount();
    if (now - progressed > status.dwWaitHint || now - began > kLongestStartMs) return {StartOutcome::StillStarting};
    ::Sleep(std::clamp(status.dwWaitHint / 10, kShortestLookMs, kLongestLookMs));
    if (!services.QueryStatus(service, &status)) return {StartOutcome::Running};
    if (status.dwCheckPoint != checkPoint) {
      checkPoint = status.dwCheckPoint;
      progressed = ::GetTickCount();
    }
  }
  if (status.dwCurrentState != SERVICE_STOPPED) return {StartOutcome::Running};
  // It stopped on its way up: its exit code says why.
  return {StartOutcome::Failed, status.dwWin32ExitCode == ERROR_SUCCESS ? static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE)
                                                                        : status.dwWin32ExitCode};
}

// The configuration monitor copies the workstation's shared profile: it has
// to run wherever the main service runs with a profile.
void StartMonitor(RemoteServiceManager& services, SC_HANDLE manager, MessageSink& messages) {
  unique_remote_service monitor(
      services.OpenNamedService(manager, kMonitorServiceName, SERVICE_QUERY_STATUS | SERVICE_START));
  if (!monitor) {
    DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      messages.Show(L"Can't query service: access denied");
    } else if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
      messages.Show(L"Lullan Configuration Monitor service not installed");
    } else {
      messages.Show(ErrorMessage(L"Unknown error querying service", error));
    }
    return;
  }
  SERVICE_STATUS status{};
  if (!services.QueryStatus(monitor.get(), &status)) {
    messages.Show(L"Can't query service");
    return;
  }
  // A monitor on its way up needs no second start.
  if (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_START_PENDING) return;
  if (!services.Start(monitor.get())) messages.Show(L"Configuration Monitor service failed to start.");
}

bool IsMonitorRunning(RemoteServiceManager& services, SC_HANDLE manager, MessageSink& messages) {
  unique_remote_service monitor(services.OpenNamedService(manager, kMonitorServiceName, GENERIC_READ));
  if (!monitor) {
    DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      messages.Show(L"Access denied; make sure account has administrator privileges.");
    } else if (error != ERROR_SERVICE_DOES_NOT_EXIST) {
      messages.Show(ErrorMessage(L"Unknown error querying Lullan service", error));
    }
    return false;
  }
  SERVICE_STATUS status{};
  if (!services.QueryStatus(monitor.get(), &status)) {
    messages.Show(L"Can't query lullan service");
    return false;
  }
  return status.dwCurrentState == SERVICE_RUNNING;
}

ServiceControlResult Start(RemoteServiceManager& services, SC_HANDLE manager, SC_HANDLE service,
                           const std::wstring& computer, bool usesProfile, MessageSink& messages) {
  const std::wstring line = ServiceLine();
  ServiceControlResult result;
  StartOutcome started = StartAndFollow(services, service);
  if (started.kind == StartOutcome::Running && usesProfile) StartMonitor(services, manager, messages);
  switch (started.kind) {
    case StartOutcome::Running:
      result.resultLine = line + L" started successfully on " + computer;
      result.done = true;
      break;
    case StartOutcome::Failed:
      result.resultLine = ErrorMessage(line + L" failed to start on " + computer, started.error);
      break;
    case StartOutcome::StillStarting:
      // Not taken as running: the list would show a service that may never come up.
      result.resultLine = FormatText(L"%s is still starting on %s; refresh the list later to see whether it runs.",
                                     line.c_str(), computer.c_str());
      break;
  }
  return result;
}

ServiceControlResult Stop(RemoteServiceManager& services, SC_HANDLE manager, SC_HANDLE service,
                          const std::wstring& computer, MessageSink& messages) {
  // The monitor goes first, so that it does not copy a profile onto a
  // workstation whose service is going.
  unique_remote_service forStop;
  if (IsMonitorRunning(services, manager, messages)) {
    SERVICE_STATUS status{};
    unique_remote_service monitor(services.OpenNamedService(manager, kMonitorServiceName, SERVICE_STOP));
    if (monitor && !services.Control(monitor.get(), SERVICE_CONTROL_STOP, &status))
      messages.Show(L"Failed to stop Lullan Configuration Monitor.");
    forStop.reset(services.OpenNamedService(manager, kIdleServiceName, SERVICE_STOP));
  }
  const std::wstring line = ServiceLine();
  ServiceControlResult result;
  SERVICE_STATUS status{};
  if (services.Control(forStop ? forStop.get() : service, SERVICE_CONTROL_STOP, &status)) {
    result.resultLine = line + L" stopped successfully on " + computer;
    result.done = true;
  } else {
    DWORD error = ::GetLastError();
    result.resultLine = ErrorMessage(line + L" failed to stop on " + computer, error);
  }
  return result;
}

}  // namespace

bool RunsNt(const std::wstring& osText) { return osText.starts_with(L"NT") || osText == L"Win2000"; }

ServiceControlResult ControlMainService(const std::wstring& computer, ServiceRequest request, bool usesProfile,
                                        MessageSink& messages) {
  RemoteServiceManager& services = *platform().remoteServices;
  unique_remote_service manager(services.OpenManager(computer.c_str(), SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    messages.Show(ManagerOpenFailure(computer, ::GetLastError()));
    return {};
  }
  unique_remote_service service(services.OpenNamedService(manager.get(), kIdleServiceName, SERVICE_ALL_ACCESS));
  if (!service) {
    DWORD error = ::GetLastError();
    messages.Show(
        ErrorMessage(FormatText(L"Error opening %s service on %s", kIdleServiceName, computer.c_str()), error));
    return {};
  }
  SERVICE_STATUS status{};
  if (!services.QueryStatus(service.get(), &status)) {
    messages.Show(L"Error querying SCM");
    return {};
  }

  // The console's record decided what to offer; the service's own state
  // decides whether there is anything to do.
  const std::wstring line = ServiceLine();
  const ServiceState code = StateCodeOf(status.dwCurrentState);
  if (request == ServiceRequest::Start) {
    if (code == ServiceState::Running) {
      messages.Show(FormatText(L"%s is already running on %s", line.c_str(), computer.c_str()));
      return {};
    }
    return Start(services, manager.get(), service.get(), computer, usesProfile, messages);
  }
  if (code == ServiceState::Stopped) {
    messages.Show(FormatText(L"%s is already stopped on %s", line.c_str(), computer.c_str()));
    return {};
  }
  return Stop(services, manager.get(), service.get(), computer, messages);
}

void CServerPanelDlg::StartStop() {
  std::optional<std::wstring> name = GetSelectedComputer();
  if (!name) return;
  HeldComputer computer = HoldComputer(*name);
  if (!computer) {
    ui::ShowMessage(window(), FormatText(L"Internal error: can't find machine %s", name->c_str()));
    return;
  }
  if (!RunsNt(computer->osText.str())) {
    ui::ShowMessage(window(), FormatText(L"Can't stop/start %s because %s is running %s, not NT", kIdleServiceName,
                                         name->c_str(), computer->osText.c_str()));
    return;
  }

  // What the console last saw decides: a running service is stopped, any
  // other is started.
  const bool running = computer->stateCode == ServiceState::Running;
  const ServiceRequest request = running ? ServiceRequest::Stop : ServiceRequest::Start;
  const std::wstring question =
      FormatText(L"%s %s on %s?", running ? L"Stop" : L"Start", kIdleServiceName, name->c_str());
  if (ui::ShowMessage(window(), question, MB_YESNO) != IDYES) return;

  const bool usesProfile = !computer->profile.empty();
  HeldMessages messages;
  ServiceControlResult result;
  RunInBackground(window(), [&] { result = ControlMainService(*name, request, usesProfile, messages); });
  messages.ShowAll(window());
  if (result.resultLine) ui::ShowMessage(window(), *result.resultLine);
  if (!result.done) return;

  // Taken as done: the record and the row change now, not at the next scan.
  const ServiceState target = running ? ServiceState::Stopped : ServiceState::Running;
  computer->stateCode = target;
  int row = list_.FindComputerRow(*name);
  if (row < 0) {
    ui::ShowMessage(window(), L"Error finding machine in list control");
    return;
  }
  list_.ShowServiceState(row, target);
  SetStatusText(*result.resultLine);
}

}  // namespace lullan::tarnel
