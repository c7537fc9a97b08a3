// Event identifiers the suite reports under the "Lullan" event source. The
// message file (service/lullanMsg.mc) holds a text for each.
#pragma once

#include <windows.h>

namespace lullan {

inline constexpr DWORD kEventMonitorStarted = 0x40000080;        // configuration monitor running
inline constexpr DWORD kEventMonitorStopping = 0x40000081;       // configuration monitor stopping
inline constexpr DWORD kEventDispatcherFailed = 0xC000001A;      // service control dispatcher could not start
inline constexpr DWORD kEventMonitorFailed = 0xC000001B;         // configuration monitor ended by an error (%1)
inline constexpr DWORD kEventProfileServerMissing = 0xC0000011;  // "Profile" set, "PLS" empty
inline constexpr DWORD kEventProfileCopyFailed = 0xC0000013;     // copying the shared profile failed

// Error type only above 0xC0000000; everything else is information.
inline constexpr WORD EventTypeFor(DWORD id) {
  return id > 0xC0000000u ? EVENTLOG_ERROR_TYPE : EVENTLOG_INFORMATION_TYPE;
}

}  // namespace lullan
