#include "service_install.h"

#include "console.h"
#include "error_text.h"
#include "handles.h"
#include "monitor_state.h"
#include "product.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {
constexpr wchar_t kDependencies[] = L"RPCSS\0";  // a list of one name, ended by an empty name
}

std::wstring LastErrorText() {
  DWORD error = ::GetLastError();
  // The text must fit 256 characters with its line end and the 14 of " (0x...)".
  std::wstring text = SystemErrorText(error);
  if (text.empty() || text.size() + 2 + 14 > 256) return std::wstring();
  return FormatText(L"%s (0x%lx)", text.c_str(), error);
}

void InstallMonitorService(const std::wstring& account, const std::wstring& password) {
  if (Monitor().debug) Print(L"dbg: run service as user %s\n", account.empty() ? L"LocalSystem" : account.c_str());

  wchar_t path[512];
  DWORD length = ::GetModuleFileNameW(nullptr, path, ARRAYSIZE(path));
  if (length == 0 || length >= ARRAYSIZE(path)) {
    if (length != 0) ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    Print(L"Unable to install %s - %s\n", kMonitorDisplayName, LastErrorText().c_str());
    return;
  }
  // A path with a blank is quoted, so that the service manager cannot start
  // some other program that happens to match its first word.
  std::wstring command = ProgramCommand(path);

  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    Print(L"OpenSCManager failed - %s\n", LastErrorText().c_str());
    return;
  }
  unique_schandle service(::CreateServiceW(
      manager.get(), kMonitorServiceName, kMonitorDisplayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, kDependencies,
      account.empty() ? nullptr : account.c_str(), account.empty() ? nullptr : password.c_str()));
  if (service) {
    Print(L"%s installed.\n", kMonitorDisplayName);
  } else {
    Print(L"CreateService failed - %s\n", LastErrorText().c_str());
  }
}

void RemoveMonitorService() {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    Print(L"OpenSCManager failed - %s\n", LastErrorText().c_str());
    return;
  }
  unique_schandle service(::OpenServiceW(manager.get(), kMonitorServiceName, SERVICE_ALL_ACCESS));
  if (!service) {
    Print(L"OpenService failed - %s\n", LastErrorText().c_str());
    return;
  }

  SERVICE_STATUS status{};
  if (::ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
    Print(L"Stopping %s.", kMonitorDisplayName);
    ::Sleep(1000);
    while (::QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_STOP_PENDING) {
      Print(L".");
      ::Sleep(1000);
    }
    if (status.dwCurrentState == SERVICE_STOPPED) {
      Print(L"\n%s stopped.\n", kMonitorDisplayName);
    } else {
      Print(L"\n%s failed to stop.\n", kMonitorDisplayName);
    }
  }

  if (::DeleteService(service.get())) {
    Print(L"%s removed.\n", kMonitorDisplayName);
  } else {
    Print(L"DeleteService failed - %s\n", LastErrorText().c_str());
  }
}

}  // namespace lullan::profmon
