// Ending the session on another computer at once, through the logoff server
// quitsrv there: FCLogoffEx is created on the computer through DCOM (the
// remote logoff seam), and one method of its ILogoffEx is called.
#pragma once

#include <windows.h>

#include <string>

#include "server_panel_dlg.h"

namespace lullan::tarnel {

// Calls Logoff, Shutdown or Reboot of ILogoffEx on `computer` (the name as
// listed) without authentication. A failure to create the object, or an
// object without ILogoffEx, is shown in a box owned by `owner`. True when the
// method succeeded.
bool CallLogoffServer(HWND owner, SessionEnd operation, const std::wstring& computer);

}  // namespace lullan::tarnel
