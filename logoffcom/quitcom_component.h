// quitcom's side of the logoff object: the module-wide counts that decide
// when the library may be unloaded, and process security set up on first use.
#pragma once

#include <windows.h>

#include "logoff_object.h"
#include "quitcom_interface.h"

namespace lullan {

struct QuitcomComponent {
  using Interface = ILogoff;
  using Object = LogoffObject<QuitcomComponent>;
  static const IID& InterfaceId() { return IID_ILogoff; }
  static constexpr bool kPrivilegeBeforeLogoff = true;

  static void ObjectCreated() noexcept;
  static void ObjectFreed() noexcept;
  static void LockServer(BOOL lock) noexcept;
};

// The library's own handle, stored by its entry point.
void SetQuitcomModule(HMODULE module);
HMODULE QuitcomModule();

// Objects alive and locks held; the library can be unloaded when both are zero.
LONG QuitcomObjectCount();
LONG QuitcomLockCount();

}  // namespace lullan
