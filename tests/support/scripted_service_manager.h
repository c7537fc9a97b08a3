// The service control managers of other machines, scripted by a test:
//
//   ScriptedServiceManager services;
//   services.On(L"PC-017").Service(L"Lullan", SERVICE_RUNNING).Service(L"lConfigMon", SERVICE_STOPPED);
//   services.On(L"PC-018").Unreachable();
//   services.On(L"PC-019").Service(L"Lullan", SERVICE_STOPPED).StartNeverEnds(L"Lullan");
//
// It answers as the real manager does: a machine nobody scripted is
// unreachable (RPC_S_SERVER_UNAVAILABLE), a service it lacks gives
// ERROR_SERVICE_DOES_NOT_EXIST, a handle opened without the right for an
// operation gives ERROR_ACCESS_DENIED, starting a service that is not stopped
// gives ERROR_SERVICE_ALREADY_RUNNING, stopping a stopped one
// ERROR_SERVICE_NOT_ACTIVE and stopping one that is still starting
// ERROR_SERVICE_CANNOT_ACCEPT_CTRL. Failures set the thread's last error.
// A started service is running at once, unless its start never ends.
//
// Safe to call from several threads at once; every call first sleeps the
// scripted delay, outside the lock, as a slow network would.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"

namespace lullan::test {

class ScriptedServiceManager final : public RemoteServiceManager {
 public:
  // The script of one machine; every method changes it at once (also while
  // other threads call the manager) and returns the script for the next line.
  class MachineScript {
   public:
    MachineScript& Service(const std::wstring& name, DWORD state);  // adds it, or changes its state
    MachineScript& Unreachable() { return OpenManagerFails(RPC_S_SERVER_UNAVAILABLE); }
    MachineScript& OpenManagerFails(DWORD error);  // ERROR_SUCCESS: reachable again
    // Failures of one service's calls (ERROR_SUCCESS: works again).
    MachineScript& OpenFails(const std::wstring& service, DWORD error);
    MachineScript& QueryFails(const std::wstring& service, DWORD error);
    MachineScript& StartFails(const std::wstring& service, DWORD error);
    MachineScript& ControlFails(const std::wstring& service, DWORD error);  // e.g. ERROR_DEPENDENT_SERVICES_RUNNING
    // A start that succeeds and leaves the service SERVICE_START_PENDING for good.
    MachineScript& StartNeverEnds(const std::wstring& service);

   private:
    friend class ScriptedServiceManager;
    MachineScript(ScriptedServiceManager& owner, std::wstring machine) : owner_(owner), machine_(std::move(machine)) {}
    template <typename Change>
    MachineScript& ChangeService(const std::wstring& service, Change change);
    ScriptedServiceManager& owner_;
    std::wstring machine_;
  };

  MachineScript On(const std::wstring& machine);
  void DelayEachCall(DWORD milliseconds) { delay_ = milliseconds; }

  // The seam.
  SC_HANDLE OpenManager(LPCWSTR machineName, DWORD desiredAccess) override;
  SC_HANDLE OpenNamedService(SC_HANDLE manager, LPCWSTR serviceName, DWORD desiredAccess) override;
  BOOL QueryStatus(SC_HANDLE service, SERVICE_STATUS* status) override;
  BOOL Start(SC_HANDLE service) override;
  BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override;
  BOOL CloseHandle(SC_HANDLE handle) override;

  enum class Operation { OpenManager, OpenService, QueryStatus, Start, Control, CloseHandle };
  struct Call {
    Operation operation;
    std::wstring machine = {};    // as the code named it
    std::wstring service = {};    // as the code named it; empty for the manager
    DWORD argument = 0;           // the access asked for, or the control code
    DWORD error = ERROR_SUCCESS;  // or the last error the call set
  };
  // Everything asked so far, in the order the calls took the lock.
  std::vector<Call> Calls() const;
  // The state a service is in now (0 when there is no such service).
  DWORD State(const std::wstring& machine, const std::wstring& service) const;
  // Handles handed out and not yet closed.
  int OpenHandles() const;
  // Handles the code closed twice, never had, or used after closing.
  int Faults() const;
  // The most calls that were inside the manager at one moment.
  int MostCallsAtOnce() const { return mostAtOnce_; }

 private:
  struct ServiceScript {
    std::wstring name;
    DWORD state = SERVICE_STOPPED;
    DWORD openError = ERROR_SUCCESS;
    DWORD queryError = ERROR_SUCCESS;
    DWORD startError = ERROR_SUCCESS;
    DWORD controlError = ERROR_SUCCESS;
    bool startNeverEnds = false;
  };
  struct Machine {
    DWORD openError = ERROR_SUCCESS;
    std::map<std::wstring, ServiceScript> services;  // by upper-case name
  };
  struct Handle {
    std::wstring machine;  // as named by the code
    std::wstring service;  // as named by the code; empty for a manager
    DWORD rights;          // for a service: the service rights it was opened with
  };
  enum class Kind { Manager, Service, Any };
  class InFlight;

  // Runs `body` under the lock and records its call; a failure (call.error
  // set) returns the empty result and sets the thread's last error, after the
  // lock is released, since releasing a lock may change the last error.
  template <typename Result, typename Body>
  Result Serve(Call call, Body body);
  // The live handle of that kind, or null (a fault: ERROR_INVALID_HANDLE).
  const Handle* FindHandle(SC_HANDLE handle, Kind kind, Call& call);
  const ServiceScript* FindService(const std::wstring& machine, const std::wstring& service) const;
  ServiceScript* FindService(const std::wstring& machine, const std::wstring& service) {
    return const_cast<ServiceScript*>(std::as_const(*this).FindService(machine, service));
  }
  SC_HANDLE NewHandle(Handle handle);

  mutable std::mutex lock_;
  std::map<std::wstring, Machine> machines_;  // by MachineKey
  std::map<SC_HANDLE, Handle> handles_;
  std::vector<Call> calls_;
  ULONG_PTR nextHandle_ = 0x5C000;
  int faults_ = 0;
  std::atomic<DWORD> delay_{0};
  std::atomic<int> inside_{0};
  std::atomic<int> mostAtOnce_{0};
};

}  // namespace lullan::test
