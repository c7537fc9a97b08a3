// The logoff object on other machines, reached through CoCreateInstanceEx,
// scripted by a test:
//
//   RecordingRemoteLogoff logoff;
//   logoff.On(L"PC-017").Answers(LogoffMethod::Shutdown, E_FAIL);
//   logoff.On(L"PC-018").CreateFails(REGDB_E_CLASSNOTREG);
//   logoff.On(L"PC-019").WithoutLogoffEx();
//
// Every machine nobody scripted has a working FCLogoffEx. Creation answers as
// CoCreateInstanceEx does: each MULTI_QI gets its interface or its HRESULT,
// the result is S_OK, CO_S_NOTALLINTERFACES or E_NOINTERFACE; another class
// is REGDB_E_CLASSNOTREG, an outer object CLASS_E_NOAGGREGATION. The objects
// are real COM objects (IUnknown and ILogoffEx, nothing else) that record
// each method call and answer the machine's scripted HRESULT; they count
// themselves, so a test can check that the code released every one. The
// journal outlives the fake, so an object released late does no harm.
// Safe to call from several threads at once.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"

namespace lullan::test {

// ILogoffEx's methods; none takes an argument but IdleMins' result.
enum class LogoffMethod { Logoff, Shutdown, Reboot, IdleMins };

class RecordingRemoteLogoff final : public RemoteLogoff {
 public:
  RecordingRemoteLogoff();
  ~RecordingRemoteLogoff() override;
  RecordingRemoteLogoff(const RecordingRemoteLogoff&) = delete;
  RecordingRemoteLogoff& operator=(const RecordingRemoteLogoff&) = delete;

  // The script of one machine; every method changes it at once.
  class MachineScript {
   public:
    MachineScript& CreateFails(HRESULT result);  // S_OK: creation works again
    MachineScript& WithoutLogoffEx();            // the object there refuses ILogoffEx
    MachineScript& Answers(LogoffMethod method, HRESULT result);
    MachineScript& IdleMinutes(int minutes);  // what IdleMins hands back

   private:
    friend class RecordingRemoteLogoff;
    MachineScript(RecordingRemoteLogoff& owner, std::wstring machine) : owner_(owner), machine_(std::move(machine)) {}
    RecordingRemoteLogoff& owner_;
    std::wstring machine_;
  };
  MachineScript On(const std::wstring& machine);

  // The seam.
  HRESULT CreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server, DWORD count,
                           MULTI_QI* results) override;

  // The COAUTHINFO the code passed.
  struct AuthInfo {
    DWORD authnService;
    DWORD authzService;
    bool hasPrincipalName;
    DWORD authnLevel;
    DWORD impersonationLevel;
    bool hasIdentity;
    DWORD capabilities;
  };
  struct Creation {
    std::wstring server;  // COSERVERINFO's name as given; empty for none
    bool hasServerInfo;
    std::optional<AuthInfo> auth;
    DWORD context;  // the CLSCTX
    CLSID clsid;
    std::vector<IID> interfaces;  // asked for, in MULTI_QI order
    HRESULT result;
  };
  struct MethodCall {
    std::wstring machine;  // the server name the object was created on
    LogoffMethod method;
  };
  std::vector<Creation> Creations() const;
  std::vector<MethodCall> Calls() const;
  // Objects created and not yet released to zero.
  LONG LiveObjects() const;

 private:
  class Journal;
  class LogoffObject;
  std::shared_ptr<Journal> journal_;  // shared with the objects
};

}  // namespace lullan::test
