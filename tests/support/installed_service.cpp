#include "installed_service.h"

#include <thread>

namespace lullan::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

unique_schandle InstalledService::Open(DWORD access) const {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return unique_schandle();
  return unique_schandle(::OpenServiceW(manager.get(), name_.c_str(), access));
}

DWORD InstalledService::State() const {
  unique_schandle service = Open(SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  if (!service || !::QueryServiceStatus(service.get(), &status)) return 0;
  return status.dwCurrentState;
}

bool InstalledService::WaitForState(DWORD state, std::chrono::seconds limit) const {
  for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(200ms)) {
    if (State() == state) return true;
  }
  return State() == state;
}

bool InstalledService::WaitUntilGone(std::chrono::seconds limit) const {
  for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(200ms)) {
    unique_schandle service = Open(SERVICE_QUERY_STATUS);
    if (!service && ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return true;
  }
  return false;
}

bool InstalledService::Start() const {
  unique_schandle service = Open(SERVICE_START);
  return service && ::StartServiceW(service.get(), 0, nullptr);
}

bool InstalledService::Stop() const {
  unique_schandle service = Open(SERVICE_STOP);
  SERVICE_STATUS status{};
  return service && ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
}

DWORD InstalledService::ProcessId() const {
  unique_schandle service = Open(SERVICE_QUERY_STATUS);
  SERVICE_STATUS_PROCESS status{};
  DWORD size = 0;
  if (!service || !::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                          sizeof status, &size))
    return 0;
  return status.dwProcessId;
}

unique_handle InstalledService::Process() const {
  DWORD id = ProcessId();
  if (id == 0) return unique_handle();
  return unique_handle(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id));
}

bool InstalledService::Create(const std::wstring& commandLine, DWORD serviceType) const {
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  unique_schandle service(::CreateServiceW(manager.get(), name_.c_str(), name_.c_str(), SERVICE_ALL_ACCESS, serviceType,
                                           SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, commandLine.c_str(), nullptr,
                                           nullptr, L"RpcSs\0", nullptr, nullptr));
  return static_cast<bool>(service);
}

void InstalledService::Remove() const {
  if (State() == SERVICE_RUNNING || State() == SERVICE_START_PENDING) {
    Stop();
    WaitForState(SERVICE_STOPPED, 30s);
  }
  if (unique_schandle service = Open(DELETE)) ::DeleteService(service.get());
  WaitUntilGone(30s);
}

}  // namespace lullan::test
