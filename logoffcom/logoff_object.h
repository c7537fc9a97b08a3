// The logoff object, written once for both components. A component plugs its
// own bookkeeping in through a Component type:
//
//   struct Component {
//     using Interface = ILogoff;                    // the one interface the class implements
//     using Object = ...;                           // the concrete class CreateInstance makes
//     static const IID& InterfaceId();
//     static constexpr bool kPrivilegeBeforeLogoff; // whether Logoff enables the privilege too
//     static void ObjectCreated() noexcept;         // a new object exists (CreateInstance)
//     static void ObjectFreed() noexcept;           // an object's count reached zero
//     static void LockServer(BOOL lock) noexcept;   // IClassFactory::LockServer
//   };
//
// Methods never throw: every path returns an HRESULT.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <atomic>

#include "platform.h"
#include "windows_version.h"

namespace lullan {

template <typename Component>
class LogoffObject : public Component::Interface {
 public:
  LogoffObject() = default;
  LogoffObject(const LogoffObject&) = delete;
  LogoffObject& operator=(const LogoffObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, Component::InterfaceId())) {
      *out = static_cast<typename Component::Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&refCount_)); }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    LONG count = ::InterlockedDecrement(&refCount_);
    if (count == 0) {
      delete this;
      Component::ObjectFreed();
    }
    return static_cast<ULONG>(count);
  }

  // The operations. Logoff passes the flag word as it stands; Shutdown and
  // Reboot add their bit and keep it, so a later Logoff on the same object
  // shuts down too.
  HRESULT STDMETHODCALLTYPE Logoff() noexcept override {
    if constexpr (Component::kPrivilegeBeforeLogoff) EnableShutdownPrivilege();
    return EndSession(exitFlags_.load());
  }
  HRESULT STDMETHODCALLTYPE Shutdown() noexcept override {
    EnableShutdownPrivilege();
    return EndSession(exitFlags_.fetch_or(EWX_SHUTDOWN) | EWX_SHUTDOWN);
  }
  HRESULT STDMETHODCALLTYPE Reboot() noexcept override {
    EnableShutdownPrivilege();
    return EndSession(exitFlags_.fetch_or(EWX_REBOOT) | EWX_REBOOT);
  }

 protected:
  virtual ~LogoffObject() = default;

 private:
  // Whether the privilege could be enabled is not looked at: a missing
  // privilege shows as a failing ExitWindowsEx.
  static void EnableShutdownPrivilege() noexcept {
    if (IsWindowsNT()) platform().systemExit->EnableShutdownPrivilege();
  }
  static HRESULT EndSession(UINT flags) noexcept {
    return platform().systemExit->ExitWindowsEx(flags, 0) ? S_OK : E_FAIL;
  }

  LONG refCount_ = 1;
  // Concurrent Shutdown and Reboot calls each add their bit; the word a call
  // passes may or may not hold the other call's bit.
  std::atomic<UINT> exitFlags_{EWX_FORCE};
};

}  // namespace lullan
