#include "service_state.h"

#include "platform.h"
#include "product.h"
#include "text_format.h"

namespace lullan::tarnel {

ServiceState StateCodeOf(DWORD currentState) {
  switch (currentState) {
    case SERVICE_START_PENDING:
    case SERVICE_RUNNING:
      return ServiceState::Running;
    case SERVICE_PAUSE_PENDING:
    case SERVICE_PAUSED:
      return ServiceState::Paused;
    case SERVICE_STOPPED:
    case SERVICE_STOP_PENDING:
      return ServiceState::Stopped;
    default:
      return ServiceState::Other;
  }
}

ServiceState QueryServiceState(const std::wstring& computer, MessageSink& messages) {
  RemoteServiceManager& services = *platform().remoteServices;
  unique_remote_service manager(services.OpenManager(computer.c_str(), GENERIC_READ));
  if (!manager) {
    DWORD error = ::GetLastError();
    std::wstring message = FormatText(L"Error opening SCM on PC %s", computer.c_str());
    if (error == ERROR_ACCESS_DENIED) messages.Show(message + L": access denied");
    if (error == ERROR_INVALID_PARAMETER) messages.Show(message + L": invalid parameter");
    return ServiceState::NotReachable;
  }
  unique_remote_service service(services.OpenNamedService(manager.get(), kIdleServiceName, GENERIC_READ));
  if (!service) return ServiceState::NotReachable;

  SERVICE_STATUS status{};
  if (!services.QueryStatus(service.get(), &status)) {
    messages.Show(L"Error querying SCM");
    return ServiceState::QueryFailed;
  }
  return StateCodeOf(status.dwCurrentState);
}

}  // namespace lullan::tarnel
