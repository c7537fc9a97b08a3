#include "scripted_service_manager.h"

#include "machine_names.h"

namespace lullan::test {

namespace {

// The service rights a handle gets for the access asked, generic
// rights mapped as the service control manager maps them.
DWORD ServiceRights(DWORD access) {
  DWORD rights = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
  if (access & GENERIC_READ)
    rights |= STANDARD_RIGHTS_READ | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE |
              SERVICE_ENUMERATE_DEPENDENTS;
  if (access & GENERIC_WRITE) rights |= STANDARD_RIGHTS_WRITE | SERVICE_CHANGE_CONFIG;
  if (access & GENERIC_EXECUTE)
    rights |=
        STANDARD_RIGHTS_EXECUTE | SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL;
  if (access & (GENERIC_ALL | MAXIMUM_ALLOWED)) rights |= SERVICE_ALL_ACCESS;
  return rights;
}

void Describe(DWORD state, SERVICE_STATUS* status) {
  *status = SERVICE_STATUS{};
  status->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status->dwCurrentState = state;
  status->dwWin32ExitCode = NO_ERROR;
  if (state == SERVICE_RUNNING || state == SERVICE_PAUSED) status->dwControlsAccepted = SERVICE_ACCEPT_STOP;
  if (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING) {
    status->dwCheckPoint = 1;
    status->dwWaitHint = 2000;
  }
}

}  // namespace

class ScriptedServiceManager::InFlight {
 public:
  explicit InFlight(ScriptedServiceManager& owner) : owner_(owner) {
    int now = ++owner_.inside_;
    int most = owner_.mostAtOnce_.load();
    while (now > most && !owner_.mostAtOnce_.compare_exchange_weak(most, now)) {
    }
    if (DWORD delay = owner_.delay_) ::Sleep(delay);
  }
  ~InFlight() { --owner_.inside_; }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;

 private:
  ScriptedServiceManager& owner_;
};

template <typename Change>
ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::ChangeService(const std::wstring& service,
                                                                                            Change change) {
  std::lock_guard guard(owner_.lock_);
  ServiceScript& script = owner_.machines_[MachineKey(machine_)].services[UpperCase(service)];
  if (script.name.empty()) script.name = service;
  change(script);
  return *this;
}

ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::Service(const std::wstring& name,
                                                                                      DWORD state) {
  return ChangeService(name, [&](ServiceScript& script) { script.state = state; });
}

ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::OpenManagerFails(DWORD error) {
  std::lock_guard guard(owner_.lock_);
  owner_.machines_[MachineKey(machine_)].openError = error;
  return *this;
}

ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::OpenFails(const std::wstring& service,
                                                                                        DWORD error) {
  return ChangeService(service, [&](ServiceScript& script) { script.openError = error; });
}

ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::QueryFails(const std::wstring& service,
                                                                                         DWORD error) {
  return ChangeService(service, [&](ServiceScript& script) { script.queryError = error; });
}

ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::StartFails(const std::wstring& service,
                                                                                         DWORD error) {
  return ChangeService(service, [&](ServiceScript& script) { script.startError = error; });
}

ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::ControlFails(const std::wstring& service,
                                                                                           DWORD error) {
  return ChangeService(service, [&](ServiceScript& script) { script.controlError = error; });
}

ScriptedServiceManager::MachineScript& ScriptedServiceManager::MachineScript::StartNeverEnds(
    const std::wstring& service) {
  return ChangeService(service, [&](ServiceScript& script) { script.startNeverEnds = true; });
}

ScriptedServiceManager::MachineScript ScriptedServiceManager::On(const std::wstring& machine) {
  std::lock_guard guard(lock_);
  machines_[MachineKey(machine)];
  return MachineScript(*this, machine);
}

template <typename Result, typename Body>
Result ScriptedServiceManager::Serve(Call call, Body body) {
  InFlight inFlight(*this);
  Result result{};
  {
    std::lock_guard guard(lock_);
    result = body(call);
    calls_.push_back(call);
  }
  if (call.error == ERROR_SUCCESS) return result;
  ::SetLastError(call.error);
  return Result{};
}

const ScriptedServiceManager::Handle* ScriptedServiceManager::FindHandle(SC_HANDLE handle, Kind kind, Call& call) {
  auto found = handles_.find(handle);
  if (found == handles_.end() || (kind == Kind::Manager && !found->second.service.empty()) ||
      (kind == Kind::Service && found->second.service.empty())) {
    ++faults_;
    call.error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  call.machine = found->second.machine;
  if (call.service.empty()) call.service = found->second.service;
  return &found->second;
}

const ScriptedServiceManager::ServiceScript* ScriptedServiceManager::FindService(const std::wstring& machine,
                                                                                 const std::wstring& service) const {
  auto host = machines_.find(MachineKey(machine));
  if (host == machines_.end()) return nullptr;
  auto found = host->second.services.find(UpperCase(service));
  return found == host->second.services.end() ? nullptr : &found->second;
}

SC_HANDLE ScriptedServiceManager::NewHandle(Handle handle) {
  // Never reused, so that a handle closed twice is always noticed.
  SC_HANDLE value = reinterpret_cast<SC_HANDLE>(nextHandle_);
  nextHandle_ += 4;
  handles_.emplace(value, std::move(handle));
  return value;
}

SC_HANDLE ScriptedServiceManager::OpenManager(LPCWSTR machineName, DWORD desiredAccess) {
  const Call asked{Operation::OpenManager, Recorded(machineName), L"", desiredAccess};
  return Serve<SC_HANDLE>(asked, [&](Call& call) -> SC_HANDLE {
    auto machine = machines_.find(MachineKey(machineName));
    if (machine == machines_.end()) {
      call.error = RPC_S_SERVER_UNAVAILABLE;
    } else if (machine->second.openError != ERROR_SUCCESS) {
      call.error = machine->second.openError;
    } else {
      return NewHandle(Handle{call.machine, L"", desiredAccess});
    }
    return nullptr;
  });
}

SC_HANDLE ScriptedServiceManager::OpenNamedService(SC_HANDLE manager, LPCWSTR serviceName, DWORD desiredAccess) {
  const Call asked{Operation::OpenService, L"", Recorded(serviceName), desiredAccess};
  return Serve<SC_HANDLE>(asked, [&](Call& call) -> SC_HANDLE {
    const Handle* owner = FindHandle(manager, Kind::Manager, call);
    if (!owner) return nullptr;
    const ServiceScript* script = FindService(owner->machine, call.service);
    if (!script) {
      call.error = ERROR_SERVICE_DOES_NOT_EXIST;
    } else if (script->openError != ERROR_SUCCESS) {
      call.error = script->openError;
    } else {
      return NewHandle(Handle{owner->machine, call.service, ServiceRights(desiredAccess)});
    }
    return nullptr;
  });
}

BOOL ScriptedServiceManager::QueryStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  return Serve<BOOL>(Call{Operation::QueryStatus}, [&](Call& call) -> BOOL {
    const Handle* handle = FindHandle(service, Kind::Service, call);
    if (!handle) return FALSE;
    const ServiceScript* script = FindService(handle->machine, handle->service);
    if (!(handle->rights & SERVICE_QUERY_STATUS)) {
      call.error = ERROR_ACCESS_DENIED;
    } else if (!status) {
      call.error = ERROR_INVALID_PARAMETER;
    } else if (script->queryError != ERROR_SUCCESS) {
      call.error = script->queryError;
    } else {
      Describe(script->state, status);
    }
    return TRUE;
  });
}

BOOL ScriptedServiceManager::Start(SC_HANDLE service) {
  return Serve<BOOL>(Call{Operation::Start}, [&](Call& call) -> BOOL {
    const Handle* handle = FindHandle(service, Kind::Service, call);
    if (!handle) return FALSE;
    ServiceScript* script = FindService(handle->machine, handle->service);
    if (!(handle->rights & SERVICE_START)) {
      call.error = ERROR_ACCESS_DENIED;
    } else if (script->startError != ERROR_SUCCESS) {
      call.error = script->startError;
    } else if (script->state != SERVICE_STOPPED) {
      call.error = ERROR_SERVICE_ALREADY_RUNNING;
    } else {
      script->state = script->startNeverEnds ? SERVICE_START_PENDING : SERVICE_RUNNING;
    }
    return TRUE;
  });
}

BOOL ScriptedServiceManager::Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
  return Serve<BOOL>(Call{Operation::Control, L"", L"", control}, [&](Call& call) -> BOOL {
    const Handle* handle = FindHandle(service, Kind::Service, call);
    if (!handle) return FALSE;
    ServiceScript* script = FindService(handle->machine, handle->service);
    if (!status) {
      call.error = ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    // The main service accepts nothing but stop (and interrogation).
    const DWORD needed = control == SERVICE_CONTROL_STOP          ? SERVICE_STOP
                         : control == SERVICE_CONTROL_INTERROGATE ? SERVICE_INTERROGATE
                                                                  : 0;
    const bool pending = script->state == SERVICE_START_PENDING || script->state == SERVICE_STOP_PENDING;
    if (needed == 0) {
      call.error = ERROR_INVALID_SERVICE_CONTROL;
    } else if (!(handle->rights & needed)) {
      call.error = ERROR_ACCESS_DENIED;
    } else if (script->controlError != ERROR_SUCCESS) {
      call.error = script->controlError;
    } else if (script->state == SERVICE_STOPPED) {
      call.error = ERROR_SERVICE_NOT_ACTIVE;
    } else if (pending) {
      call.error = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
    } else if (control == SERVICE_CONTROL_STOP) {
      script->state = SERVICE_STOPPED;
    }
    // As the real call, the status is filled in also when the service refused.
    Describe(script->state, status);
    return TRUE;
  });
}

BOOL ScriptedServiceManager::CloseHandle(SC_HANDLE handle) {
  return Serve<BOOL>(Call{Operation::CloseHandle}, [&](Call& call) -> BOOL {
    if (!FindHandle(handle, Kind::Any, call)) return FALSE;
    handles_.erase(handle);
    return TRUE;
  });
}

std::vector<ScriptedServiceManager::Call> ScriptedServiceManager::Calls() const {
  std::lock_guard guard(lock_);
  return calls_;
}

DWORD ScriptedServiceManager::State(const std::wstring& machine, const std::wstring& service) const {
  std::lock_guard guard(lock_);
  const ServiceScript* script = FindService(machine, service);
  return script ? script->state : 0;
}

int ScriptedServiceManager::OpenHandles() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(handles_.size());
}

int ScriptedServiceManager::Faults() const {
  std::lock_guard guard(lock_);
  return faults_;
}

}  // namespace lullan::test
