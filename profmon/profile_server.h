// Reaching the profile server: each remote operation opens its own
// connection to the server's HKEY_LOCAL_MACHINE and closes it before it returns.
#pragma once

#include <string>

#include "handles.h"

namespace lullan::profmon {

// "\\" and the profile server's name, unless the name already starts with a backslash.
std::wstring ProfileServerUnc(const wchar_t* profileServer);

// Connects to HKEY_LOCAL_MACHINE of `server` (as ProfileServerUnc gives it);
// logs the debug line and returns false when the connection fails.
bool ConnectToProfileServer(const std::wstring& server, unique_hkey* root);

}  // namespace lullan::profmon
