#include "monitor_service.h"

#include "handles.h"
#include "text_format.h"

namespace lullan::msi {

std::wstring InstallMonitorService(const MonitorService& service) {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return L"OpenSCManager failed";
  const std::wstring command = ProgramCommand(service.program);
  std::wstring dependencies = service.dependency;
  dependencies.push_back(L'\0');  // a double-terminated list
  unique_schandle created(::CreateServiceW(manager.get(), service.name.c_str(), service.displayName.c_str(),
                                           SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                           SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr,
                                           dependencies.c_str(), service.account.c_str(), service.password.c_str()));
  DWORD error = created ? ERROR_SUCCESS : ::GetLastError();
  if (error == ERROR_SERVICE_EXISTS) {
    // An upgrade or a repair: the service stays, with what was asked now.
    unique_schandle existing(::OpenServiceW(manager.get(), service.name.c_str(), SERVICE_CHANGE_CONFIG));
    error = existing && ::ChangeServiceConfigW(existing.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                               SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr,
                                               dependencies.c_str(), service.account.c_str(), service.password.c_str(),
                                               service.displayName.c_str())
                ? ERROR_SUCCESS
                : ::GetLastError();
  }
  if (error == ERROR_SUCCESS) return {};
  if (error == ERROR_INVALID_SERVICE_ACCOUNT)
    return FormatText(L"CreateService error accessing account '%s'", service.account.c_str());
  return FormatText(L"CreateService failed: %lu", static_cast<unsigned long>(error));
}

DWORD RemoveService(const std::wstring& name) {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return ::GetLastError();
  unique_schandle service(::OpenServiceW(manager.get(), name.c_str(), SERVICE_STOP | DELETE));
  if (!service) return ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? ERROR_SUCCESS : ::GetLastError();
  SERVICE_STATUS status{};
  ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);  // a stopped service refuses: still deleted
  if (::DeleteService(service.get()) || ::GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE) return ERROR_SUCCESS;
  return ::GetLastError();
}

bool QuoteImagePath(const std::wstring& name) {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  unique_schandle service(
      manager ? ::OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG) : nullptr);
  if (!service) return false;
  DWORD size = 0;
  ::QueryServiceConfigW(service.get(), nullptr, 0, &size);
  unique_heap_memory memory(size ? ::HeapAlloc(::GetProcessHeap(), 0, size) : nullptr);
  auto* config = as<QUERY_SERVICE_CONFIGW>(memory);
  if (!config || !::QueryServiceConfigW(service.get(), config, size, &size) || !config->lpBinaryPathName) return false;
  const std::wstring path = config->lpBinaryPathName;
  const std::wstring quoted = ProgramCommand(path);
  if (path.empty() || path.front() == L'"' || quoted == path) return false;
  return ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, quoted.c_str(),
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
}

}  // namespace lullan::msi
