#include "quitsrv_component.h"

#include "handles.h"

namespace lullan {

namespace {
unique_handle gStopEvent;
LONG gObjectCount = 0;
LONG gLockCount = 0;
}  // namespace

void QuitsrvComponent::ObjectCreated() noexcept { ::InterlockedIncrement(&gObjectCount); }

void QuitsrvComponent::ObjectFreed() noexcept {
  ::InterlockedDecrement(&gObjectCount);
  if (gStopEvent) ::SetEvent(gStopEvent.get());
}

void QuitsrvComponent::LockServer(BOOL lock) noexcept {
  if (lock) {
    ::InterlockedIncrement(&gLockCount);
  } else {
    ::InterlockedDecrement(&gLockCount);
  }
}

HRESULT STDMETHODCALLTYPE LogoffExObject::IdleMins(int* /*nIdleMins*/) noexcept { return E_FAIL; }

bool CreateStopEvent() {
  if (!gStopEvent) gStopEvent.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  return static_cast<bool>(gStopEvent);
}

HANDLE StopEvent() { return gStopEvent.get(); }

LONG QuitsrvObjectCount() { return ::InterlockedCompareExchange(&gObjectCount, 0, 0); }
LONG QuitsrvLockCount() { return ::InterlockedCompareExchange(&gLockCount, 0, 0); }

}  // namespace lullan
