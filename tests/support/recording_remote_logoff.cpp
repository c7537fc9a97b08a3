#include "recording_remote_logoff.h"

#include <map>
#include <mutex>
#include <new>

#include "machine_names.h"
#include "quitsrv.h"

namespace lullan::test {

// What the fake and its objects share: the scripts and the records.
class RecordingRemoteLogoff::Journal {
 public:
  struct Script {
    HRESULT createResult = S_OK;
    bool withoutLogoffEx = false;
    std::map<LogoffMethod, HRESULT> answers;
    int idleMinutes = 0;
  };

  template <typename Change>
  void ChangeScript(const std::wstring& machine, Change change) {
    std::lock_guard guard(lock_);
    change(scripts_[MachineKey(machine)]);
  }
  Script ScriptFor(const std::wstring& machine) const {
    std::lock_guard guard(lock_);
    return ScriptFor(machine, guard);
  }
  void Created(Creation creation) {
    std::lock_guard guard(lock_);
    creations_.push_back(std::move(creation));
  }
  // Records a method call and returns the machine's answer to it.
  HRESULT Called(const std::wstring& machine, LogoffMethod method, int* idleMinutes) noexcept try {
    std::lock_guard guard(lock_);
    calls_.push_back(MethodCall{machine, method});
    const Script& script = ScriptFor(machine, guard);
    auto answer = script.answers.find(method);
    HRESULT result = answer == script.answers.end() ? S_OK : answer->second;
    if (idleMinutes && SUCCEEDED(result)) *idleMinutes = script.idleMinutes;
    return result;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }

  std::vector<Creation> Creations() const {
    std::lock_guard guard(lock_);
    return creations_;
  }
  std::vector<MethodCall> Calls() const {
    std::lock_guard guard(lock_);
    return calls_;
  }

  LONG live = 0;  // changed by interlocked operations only

 private:
  // The caller holds the lock.
  const Script& ScriptFor(const std::wstring& machine, const std::lock_guard<std::mutex>&) const {
    static const Script unscripted;
    auto found = scripts_.find(MachineKey(machine));
    return found == scripts_.end() ? unscripted : found->second;
  }

  mutable std::mutex lock_;
  std::map<std::wstring, Script> scripts_;  // by MachineKey
  std::vector<Creation> creations_;
  std::vector<MethodCall> calls_;
};

// The logoff object on one machine: IUnknown and, unless scripted away,
// ILogoffEx. Every method records itself and answers as scripted.
class RecordingRemoteLogoff::LogoffObject final : public ILogoffEx {
 public:
  LogoffObject(std::shared_ptr<Journal> journal, std::wstring machine, bool offersLogoffEx)
      : journal_(std::move(journal)), machine_(std::move(machine)), offersLogoffEx_(offersLogoffEx) {
    ::InterlockedIncrement(&journal_->live);
  }
  LogoffObject(const LogoffObject&) = delete;
  LogoffObject& operator=(const LogoffObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || (offersLogoffEx_ && IsEqualIID(iid, IID_ILogoffEx))) {
      *out = static_cast<ILogoffEx*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&refCount_)); }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    LONG count = ::InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

  HRESULT STDMETHODCALLTYPE Logoff() noexcept override {
    return journal_->Called(machine_, LogoffMethod::Logoff, nullptr);
  }
  HRESULT STDMETHODCALLTYPE Shutdown() noexcept override {
    return journal_->Called(machine_, LogoffMethod::Shutdown, nullptr);
  }
  HRESULT STDMETHODCALLTYPE Reboot() noexcept override {
    return journal_->Called(machine_, LogoffMethod::Reboot, nullptr);
  }
  HRESULT STDMETHODCALLTYPE IdleMins(int* minutes) noexcept override {
    HRESULT result = journal_->Called(machine_, LogoffMethod::IdleMins, minutes);
    return minutes ? result : E_POINTER;
  }

 private:
  ~LogoffObject() { ::InterlockedDecrement(&journal_->live); }

  std::shared_ptr<Journal> journal_;
  std::wstring machine_;
  bool offersLogoffEx_;
  LONG refCount_ = 1;
};

RecordingRemoteLogoff::RecordingRemoteLogoff() : journal_(std::make_shared<Journal>()) {}
RecordingRemoteLogoff::~RecordingRemoteLogoff() = default;

RecordingRemoteLogoff::MachineScript& RecordingRemoteLogoff::MachineScript::CreateFails(HRESULT result) {
  owner_.journal_->ChangeScript(machine_, [&](Journal::Script& script) { script.createResult = result; });
  return *this;
}

RecordingRemoteLogoff::MachineScript& RecordingRemoteLogoff::MachineScript::WithoutLogoffEx() {
  owner_.journal_->ChangeScript(machine_, [](Journal::Script& script) { script.withoutLogoffEx = true; });
  return *this;
}

RecordingRemoteLogoff::MachineScript& RecordingRemoteLogoff::MachineScript::Answers(LogoffMethod method,
                                                                                    HRESULT result) {
  owner_.journal_->ChangeScript(machine_, [&](Journal::Script& script) { script.answers[method] = result; });
  return *this;
}

RecordingRemoteLogoff::MachineScript& RecordingRemoteLogoff::MachineScript::IdleMinutes(int minutes) {
  owner_.journal_->ChangeScript(machine_, [&](Journal::Script& script) { script.idleMinutes = minutes; });
  return *this;
}

RecordingRemoteLogoff::MachineScript RecordingRemoteLogoff::On(const std::wstring& machine) {
  return MachineScript(*this, machine);
}

HRESULT RecordingRemoteLogoff::CreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server,
                                                DWORD count, MULTI_QI* results) {
  Creation creation{};
  creation.hasServerInfo = server != nullptr;
  if (server) {
    creation.server = Recorded(server->pwszName);
    if (const COAUTHINFO* auth = server->pAuthInfo) {
      creation.auth = AuthInfo{auth->dwAuthnSvc,    auth->dwAuthzSvc,           auth->pwszServerPrincName != nullptr,
                               auth->dwAuthnLevel,  auth->dwImpersonationLevel, auth->pAuthIdentityData != nullptr,
                               auth->dwCapabilities};
    }
  }
  creation.context = context;
  creation.clsid = clsid;
  for (DWORD i = 0; results && i < count; ++i)
    creation.interfaces.push_back(results[i].pIID ? *results[i].pIID : IID{});

  const Journal::Script script = journal_->ScriptFor(creation.server);
  HRESULT result = script.createResult;
  if (!results || count == 0) {
    result = E_INVALIDARG;
  } else if (outer) {
    result = CLASS_E_NOAGGREGATION;
  } else if (!IsEqualCLSID(clsid, CLSID_FCLogoffEx)) {
    result = REGDB_E_CLASSNOTREG;
  }

  if (FAILED(result)) {
    for (DWORD i = 0; results && i < count; ++i) {
      results[i].pItf = nullptr;
      results[i].hr = result;
    }
  } else {
    auto* object = new LogoffObject(journal_, creation.server, !script.withoutLogoffEx);
    DWORD answered = 0;
    for (DWORD i = 0; i < count; ++i) {
      results[i].pItf = nullptr;
      results[i].hr = results[i].pIID
                          ? object->QueryInterface(*results[i].pIID, reinterpret_cast<void**>(&results[i].pItf))
                          : E_POINTER;
      if (SUCCEEDED(results[i].hr)) ++answered;
    }
    object->Release();  // the creation's own reference
    result = answered == count ? S_OK : answered > 0 ? CO_S_NOTALLINTERFACES : E_NOINTERFACE;
  }
  creation.result = result;
  journal_->Created(std::move(creation));
  return result;
}

std::vector<RecordingRemoteLogoff::Creation> RecordingRemoteLogoff::Creations() const { return journal_->Creations(); }

std::vector<RecordingRemoteLogoff::MethodCall> RecordingRemoteLogoff::Calls() const { return journal_->Calls(); }

LONG RecordingRemoteLogoff::LiveObjects() const { return ::InterlockedCompareExchange(&journal_->live, 0, 0); }

}  // namespace lullan::test
