#include "service_state.h"

#include "console_messages.h"
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

std::wstring ManagerOpenFailure(const std::wstring& computer, DWORD error) {
  std::wstring message = FormatText(L"Error opening SCM on PC %s", computer.c_str());
  switch (error) {
    case ERROR_ACCESS_DENIED:
      return message + L": access denied";
    case ERROR_INVALID_PARAMETER:
      return message + L": invalid parameter";
    default:
      return ErrorMessage(message, error);
  }
}

ServiceState QueryServiceState(const std::wstring& computer, MessageSink& messages) {
  RemoteServiceManager& services = *platform().remoteServices;
  unique_remote_service manager(services.OpenManager(computer.c_str(), GENERIC_READ));
  if (!manager) {
    // A computer that does not answer is no news to a scan of the whole domain.
    DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_PARAMETER)
      messages.Show(ManagerOpenFailure(computer, error));
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
