// quitsrv's side of the logoff object: the stop event whose signal ends the
// server, and the object and lock counts (kept, but not deciding anything:
// the first object to go away ends the server, whatever else remains).
#pragma once

#include <windows.h>

#include "logoff_object.h"
#include "quitsrv.h"

namespace lullan {

class LogoffExObject;

struct QuitsrvComponent {
  using Interface = ILogoffEx;
  using Object = LogoffExObject;
  static const IID& InterfaceId() { return IID_ILogoffEx; }
  // The server's Logoff goes straight to ExitWindowsEx.
  static constexpr bool kPrivilegeBeforeLogoff = false;

  static void ObjectCreated() noexcept;
  static void ObjectFreed() noexcept;  // signals the stop event
  static void LockServer(BOOL lock) noexcept;
};

class LogoffExObject final : public LogoffObject<QuitsrvComponent> {
 public:
  // Nothing in the suite asks for it; it fails at once and leaves the
  // caller's variable as it was.
  HRESULT STDMETHODCALLTYPE IdleMins(int* nIdleMins) noexcept override;
};

// Creates the unnamed auto-reset stop event, not signalled, if it doesn't
// exist yet. It must exist before the class is registered, so that a release
// right after the first activation finds it.
bool CreateStopEvent();
HANDLE StopEvent();

LONG QuitsrvObjectCount();
LONG QuitsrvLockCount();

}  // namespace lullan
