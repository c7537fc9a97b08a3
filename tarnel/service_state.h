// The state of the main service "Lullan" on a computer, through that
// computer's service control manager (the remote service manager seam).
// Any thread may ask; each asks through its own handles.
#pragma once

#include <windows.h>

#include <string>

#include "computer_info.h"
#include "console_messages.h"

namespace lullan::tarnel {

// SERVICE_STATUS's current state as the console codes it.
ServiceState StateCodeOf(DWORD currentState);

// Opens the service manager of `computer` (the name as listed) and the
// service "Lullan", both for reading, and codes what its status query says.
// Access denied or an invalid parameter at the manager and a failed status
// query are told to `messages`; a manager that cannot be reached otherwise,
// or a computer without the service, answer NotReachable in silence.
ServiceState QueryServiceState(const std::wstring& computer, MessageSink& messages);

}  // namespace lullan::tarnel
