#include "quitcom_component.h"

#include <objbase.h>

namespace lullan {

namespace {
HMODULE gModule = nullptr;
LONG gObjectCount = 0;
LONG gLockCount = 0;
}  // namespace

void QuitcomComponent::ObjectCreated() noexcept {
  ::InterlockedIncrement(&gObjectCount);
  // The interactive user's process may call in without authentication. In a
  // process whose COM security is set already this has no effect, so the
  // result is not looked at.
  ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE, RPC_C_IMP_LEVEL_ANONYMOUS, nullptr,
                         EOAC_NONE, nullptr);
}

void QuitcomComponent::ObjectFreed() noexcept { ::InterlockedDecrement(&gObjectCount); }

void QuitcomComponent::LockServer(BOOL lock) noexcept {
  if (lock) {
    ::InterlockedIncrement(&gLockCount);
  } else {
    ::InterlockedDecrement(&gLockCount);
  }
}

void SetQuitcomModule(HMODULE module) { gModule = module; }
HMODULE QuitcomModule() { return gModule; }

LONG QuitcomObjectCount() { return ::InterlockedCompareExchange(&gObjectCount, 0, 0); }
LONG QuitcomLockCount() { return ::InterlockedCompareExchange(&gLockCount, 0, 0); }

}  // namespace lullan
