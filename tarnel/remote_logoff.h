// Ending the session on another computer at once, through the logoff server
// quitsrv there: FCLogoffEx is created on the computer through DCOM (the
// remote logoff seam), and one method of its ILogoffEx is called.
#pragma once

#include <windows.h>

#include <string>

#include "server_panel_dlg.h"

namespace lullan::tarnel {

// The authentication level of the console's DCOM calls, the process's and
// the remote activation's alike. A workstation with the DCOM hardening of
// 2023 refuses activation below packet integrity; every Windows from NT 4.0
// on understands it.
inline constexpr DWORD kDcomAuthenticationLevel = RPC_C_AUTHN_LEVEL_PKT_INTEGRITY;

// Calls Logoff, Shutdown or Reboot of ILogoffEx on `computer` (the name as
// listed), authenticated with the console user's Windows account at
// kDcomAuthenticationLevel. A failure to create the object, or an object
// without ILogoffEx, is shown in a box owned by `owner`. True when the method
// succeeded.
bool CallLogoffServer(HWND owner, SessionEnd operation, const std::wstring& computer);

}  // namespace lullan::tarnel
