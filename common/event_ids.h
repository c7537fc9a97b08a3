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

// The idle-logoff service. Insertion strings: %1 the user, %2 the session,
// %3 the rule (idle N minutes, the daily logoff time, a group's limit).
inline constexpr DWORD kEventEngineStarted = 0x40000100;        // service running
inline constexpr DWORD kEventEngineStopping = 0x40000101;       // service stopping
inline constexpr DWORD kEventLoggedOff = 0x40000110;            // a session logged off
inline constexpr DWORD kEventShutDown = 0x40000111;             // the machine shut down (every session due)
inline constexpr DWORD kEventRebooted = 0x40000112;             // the machine restarted (every session due)
inline constexpr DWORD kEventWouldAct = 0x40000113;             // dry run; %4 what would have been done
inline constexpr DWORD kEventLogoffForced = 0x40000114;         // a refused logoff, forced 60 s later
inline constexpr DWORD kEventLoggedOffInstead = 0x40000115;     // logged off, not shut down: another session not due
inline constexpr DWORD kEventLogonScreenShutDown = 0x40000116;  // nobody logged on for %1 minutes
inline constexpr DWORD kEventLogonScreenWouldShutDown = 0x40000117;  // the same, in a dry run
inline constexpr DWORD kEventCountdownCancelled = 0x40000118;        // %1 user, %2 session, %3 rule
inline constexpr DWORD kEventActionHeld = 0x40000120;                // due, but held by a rule; %4 which
inline constexpr DWORD kEventScriptMissing = 0x80000130;             // %1 the script, %2 user, %3 session
inline constexpr DWORD kEventScriptFailed = 0x80000131;              // %1 the script, %2 user, %3 session, %4 why
inline constexpr DWORD kEventLogRefused = 0x80000132;                // %1 the folder, %2 why, %3 where the log goes
inline constexpr DWORD kEventSoundFailed = 0x80000133;               // %1 the file, %2 user, %3 session, %4 why
inline constexpr DWORD kEventAgentFailed = 0xC0000140;               // %1 session, %2 user, %3 why
inline constexpr DWORD kEventActionFailed = 0xC0000141;              // %1 what, %2 user, %3 session, %4 why
inline constexpr DWORD kEventPipeFailed = 0xC0000142;                // %1 session, %2 why

// Error type only above 0xC0000000, warning for the warning severity
// (0x8...); everything else is information.
inline constexpr WORD EventTypeFor(DWORD id) {
  if (id > 0xC0000000u) return EVENTLOG_ERROR_TYPE;
  return (id >> 30) == 2 ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE;
}

}  // namespace lullan
