#include "service_control.h"

#include "config_key.h"
#include "message_box.h"
#include "platform.h"
#include "setup_app.h"
#include "wait_cursor.h"

namespace lullan::setup {

namespace {

constexpr wchar_t kAccessDenied[] = L"Access denied; make sure account has administrator privileges.";
constexpr wchar_t kFailedToStart[] = L"Failed to start Lullan service.";
constexpr wchar_t kFailedToStop[] = L"Failed to stop Lullan service.";
constexpr int kMostStartWaits = 6;  // one query after the start, then one a second
constexpr DWORD kStartWaitMs = 1000;

RemoteServiceManager& Services() { return *platform().remoteServices; }

unique_remote_service OpenManager(DWORD access) {
  return unique_remote_service(Services().OpenManager(nullptr, access));
}

// Opens `name`; a failure other than "does not exist" is reported with
// `otherError`, and a missing service with `missing` when there is one.
unique_remote_service OpenService(const unique_remote_service& manager, const std::wstring& name, DWORD access,
                                  HWND owner, const wchar_t* otherError, const wchar_t* missing = nullptr) {
  unique_remote_service service(Services().OpenNamedService(manager.get(), name.c_str(), access));
  if (service) return service;
  DWORD error = ::GetLastError();
  if (error == ERROR_ACCESS_DENIED) {
    ui::ShowMessage(owner, kAccessDenied);
  } else if (error != ERROR_SERVICE_DOES_NOT_EXIST) {
    ui::ShowMessage(owner, otherError);
  } else if (missing) {
    ui::ShowMessage(owner, missing);
  }
  return service;
}

// A service that could not be opened cannot be started or stopped either;
// the call is not made with a null handle.
bool SendStop(const unique_remote_service& service) {
  if (!service) return false;
  SERVICE_STATUS status{};
  return Services().Control(service.get(), SERVICE_CONTROL_STOP, &status) != FALSE;
}

bool SendStart(const unique_remote_service& service) { return service && Services().Start(service.get()); }

DWORD CurrentState(const unique_remote_service& service) {
  SERVICE_STATUS status{};
  return Services().QueryStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

std::wstring Start(const CSetupApp& app, std::wstring_view caption, const unique_remote_service& manager, HWND owner) {
  const SetupSite& site = app.site();
  unique_remote_service service = OpenService(manager, site.serviceName, SERVICE_START | SERVICE_QUERY_STATUS, owner,
                                              L"Unknown error querying service");
  // Tried even when the open failed: the start then fails and says so.
  if (!SendStart(service)) {
    ui::ShowMessage(owner, kFailedToStart);
    return std::wstring(caption);
  }
  {
    ui::WaitCursor wait;
    for (int waits = 0; CurrentState(service) != SERVICE_RUNNING;) {
      ::Sleep(kStartWaitMs);
      if (++waits == kMostStartWaits) {
        ui::ShowMessage(owner, kFailedToStart);
        return std::wstring(caption);
      }
    }
  }
  ui::ShowMessage(owner, L"Lullan service successfully started.", MB_OK | MB_ICONINFORMATION);

  if (IsProfileAssigned(app)) {
    unique_remote_service monitor =
        OpenService(manager, site.monitorServiceName, SERVICE_START | SERVICE_QUERY_STATUS, owner,
                    L"Unknown error querying service", L"Lullan Configuration Monitor service not installed");
    if (!SendStart(monitor)) ui::ShowMessage(owner, kFailedToStart);
  }
  return kStopCaption;
}

std::wstring Stop(const CSetupApp& app, std::wstring_view caption, const unique_remote_service& manager, HWND owner) {
  const SetupSite& site = app.site();
  if (IsServiceRunning(site.monitorServiceName, owner)) {
    unique_remote_service monitor(
        Services().OpenNamedService(manager.get(), site.monitorServiceName.c_str(), SERVICE_STOP));
    if (monitor && !SendStop(monitor)) ui::ShowMessage(owner, L"Failed to stop Lullan Configuration Monitor.");
  }
  unique_remote_service service =
      OpenService(manager, site.serviceName, SERVICE_STOP, owner, L"Unknown error querying service");
  if (!SendStop(service)) {
    ui::ShowMessage(owner, kFailedToStop);
    return std::wstring(caption);
  }
  ui::ShowMessage(owner, L"Lullan service stopped", MB_OK | MB_ICONINFORMATION);
  return kStartCaption;
}

}  // namespace

bool IsServiceRunning(const std::wstring& serviceName, HWND owner) {
  unique_remote_service manager = OpenManager(GENERIC_READ);
  if (!manager) {
    ui::ShowMessage(owner, L"Can't open Service Control Manager!");
    return false;
  }
  unique_remote_service service =
      OpenService(manager, serviceName, GENERIC_READ, owner, L"Unknown error querying Lullan service");
  if (!service) return false;
  SERVICE_STATUS status{};
  if (!Services().QueryStatus(service.get(), &status)) {
    ui::ShowMessage(owner, L"Can't query lullan service");
    return false;
  }
  return status.dwCurrentState == SERVICE_RUNNING;
}

std::wstring StartStopService(const CSetupApp& app, std::wstring_view caption, HWND owner) {
  if (caption.empty()) return {};
  unique_remote_service manager = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    ui::ShowMessage(owner, L"Can't open Service Control Manager!");
    return std::wstring(caption);
  }
  if (caption.find(L"Start") != std::wstring_view::npos) return Start(app, caption, manager, owner);
  if (caption.find(L"Stop") != std::wstring_view::npos) return Stop(app, caption, manager, owner);
  return std::wstring(caption);
}

bool StopServicesForRemoval(const CSetupApp& app, HWND owner) {
  const SetupSite& site = app.site();
  unique_remote_service manager = OpenManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) return false;
  unique_remote_service service =
      OpenService(manager, site.serviceName, SERVICE_STOP, owner, L"Unknown error querying Lullan service");
  if (SendStop(service)) return true;
  if (!service || ::GetLastError() != ERROR_DEPENDENT_SERVICES_RUNNING) {
    ui::ShowMessage(owner, kFailedToStop);
    return true;
  }
  unique_remote_service monitor(
      Services().OpenNamedService(manager.get(), site.monitorServiceName.c_str(), SERVICE_STOP));
  if (!SendStop(monitor)) {
    ui::ShowMessage(owner, L"Failed to stop Lullan Configuration Monitor");
    return true;
  }
  service.reset(Services().OpenNamedService(manager.get(), site.serviceName.c_str(), SERVICE_STOP));
  if (!SendStop(service)) ui::ShowMessage(owner, kFailedToStop);
  return true;
}

bool IsProfileAssigned(const CSetupApp& app) {
  LSTATUS status = ERROR_SUCCESS;
  config::ConfigKey key = config::ConfigKey::Open(app.versionKey, KEY_READ, &status);
  if (!key) return false;
  std::optional<std::wstring> profile = key.QueryText(config::kProfile);
  return profile && !profile->empty();
}

}  // namespace lullan::setup
