#include "service_registration.h"

#include "handles.h"
#include "message_box.h"
#include "setup_app.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

// The service's program in the installation directory, quoted: unquoted, a
// directory with a blank would have the manager run "C:\Program.exe" first.
std::wstring BinaryPath(const CSetupApp& app, const wchar_t* program) {
  return FormatText(L"\"%s\\%s.exe\"", app.installDir.c_str(), program);
}

// A double-terminated list of one name.
std::wstring DependencyOn(const std::wstring& name) {
  std::wstring list = name;
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

bool CreateMainService(const CSetupApp& app, SC_HANDLE manager, HWND owner) {
  const SetupSite& site = app.site();
  DWORD startType = app.serverInstall ? SERVICE_DEMAND_START : SERVICE_AUTO_START;
  unique_schandle service(::CreateServiceW(manager, site.serviceName.c_str(), site.serviceName.c_str(),
                                           SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS,
                                           startType, SERVICE_ERROR_IGNORE, BinaryPath(app, kIdleServiceName).c_str(),
                                           nullptr, nullptr, kIdleServiceDependencies, nullptr, nullptr));
  if (service) return true;
  ui::ShowMessage(owner, CreateServiceErrorText(::GetLastError(), app.serviceAccount));
  return false;
}

void CreateMonitorService(const CSetupApp& app, SC_HANDLE manager) {
  const SetupSite& site = app.site();
  unique_schandle service(::CreateServiceW(manager, site.monitorServiceName.c_str(), site.monitorDisplayName.c_str(),
                                           SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                           SERVICE_ERROR_IGNORE, BinaryPath(app, L"profmon").c_str(), nullptr, nullptr,
                                           DependencyOn(site.serviceName).c_str(), app.serviceAccount.c_str(),
                                           app.servicePassword.c_str()));
}

}  // namespace

std::wstring CreateServiceErrorText(DWORD error, const std::wstring& account) {
  switch (error) {
    case ERROR_SERVICE_EXISTS:
      return FormatText(L"%s already installed", kProductName);
    case ERROR_INVALID_SERVICE_ACCOUNT:
      return FormatText(L"CreateService error accessing account '%s'", account.c_str());
    default:
      return FormatText(L"CreateService failed: %d", static_cast<int>(error));
  }
}

std::wstring ServiceKeyPath(const std::wstring& serviceName) {
  return FormatText(L"SYSTEM\\CurrentControlSet\\Services\\%s", serviceName.c_str());
}

bool CreateServices(const CSetupApp& app, HWND owner) {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    ui::ShowMessage(owner, L"OpenSCManager failed");
    return false;
  }
  if (!CreateMainService(app, manager.get(), owner)) return false;
  if (!app.serverInstall) {
    if (app.serviceAccount.empty()) {
      ui::ShowMessage(owner, L"Missing account name for monitor service; cannot install");
    } else {
      CreateMonitorService(app, manager.get());
    }
  }
  manager.reset();

  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, ServiceKeyPath(app.site().serviceName).c_str(), 0, KEY_WRITE, key.put()) ==
      ERROR_SUCCESS) {
    const std::wstring description = kIdleServiceDescription;
    ::RegSetValueExW(key.get(), L"Description", 0, REG_SZ, reinterpret_cast<const BYTE*>(description.c_str()),
                     static_cast<DWORD>((description.size() + 1) * sizeof(wchar_t)));
  }
  return true;
}

void DeleteServices(const CSetupApp& app, SC_HANDLE manager, HWND owner) {
  for (const std::wstring* name : {&app.site().serviceName, &app.site().monitorServiceName}) {
    unique_schandle service(::OpenServiceW(manager, name->c_str(), DELETE));
    DWORD error = service ? ERROR_SUCCESS : ::GetLastError();
    if (service && !::DeleteService(service.get())) error = ::GetLastError();
    if (error == ERROR_SUCCESS) continue;
    if (!service && error == ERROR_SERVICE_DOES_NOT_EXIST) {
      ui::ShowMessage(owner, FormatText(L"%s service does not exist", name->c_str()));
    } else if (error == ERROR_ACCESS_DENIED) {
      ui::ShowMessage(owner, L"Access denied");
    } else if (!service) {
      ui::ShowMessage(owner, FormatText(L"Error %d trying to open service", static_cast<int>(error)));
    } else if (error == ERROR_SERVICE_MARKED_FOR_DELETE) {
      ui::ShowMessage(owner, FormatText(L"%s remove pending", name->c_str()));
    } else {
      ui::ShowMessage(owner, FormatText(L"Error %d trying to delete service", static_cast<int>(error)));
    }
  }
}

}  // namespace lullan::setup
