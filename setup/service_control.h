// Starting and stopping the idle-logoff service "Lullan" on this machine,
// with its configuration monitor: the monitor is started after the service
// when a shared profile is assigned, and stopped before it. The calls go
// through the service manager seam (common/platform.h) for the local
// machine, which is the Win32 service control manager outside the tests.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace lullan::setup {

class CSetupApp;

// True when the service is SERVICE_RUNNING; false in any other state, when
// it does not exist or cannot be queried (the last two reported unless it
// does not exist).
bool IsServiceRunning(const std::wstring& serviceName, HWND owner);

// The Start/Stop button's command. `caption` is the button's text: a text
// with "Start" starts, one with "Stop" stops. The new caption after a
// successful start or stop, or `caption` itself.
std::wstring StartStopService(const CSetupApp& app, std::wstring_view caption, HWND owner);

// Asks a running "Lullan" to stop before its removal; when the monitor
// depends on it, the monitor is stopped first. Nothing waits for either to
// reach the stopped state. False when the service control manager could not
// be opened (reported).
bool StopServicesForRemoval(const CSetupApp& app, HWND owner);

// True when the version key assigns a shared profile ("Profile" not empty).
bool IsProfileAssigned(const CSetupApp& app);

inline constexpr wchar_t kStartCaption[] = L"&Start Lullan";
inline constexpr wchar_t kStopCaption[] = L"&Stop Lullan";

}  // namespace lullan::setup
