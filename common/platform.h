// The seams: the few Win32 services that Wine cannot give the tests (other
// machines, a domain, DCOM to another computer, the event log, the terminal
// sessions of a machine) or that would end the test run (ExitWindowsEx,
// WTSLogoffSession), plus the clock. Each seam mirrors the
// Win32 calls it stands for, so the code using it reads like Win32 code.
//
// platform() returns the installed implementations; the Win32 ones are
// installed from the start. Tests swap single seams for one test
// (tests/support/scoped_platform.h) and put the previous ones back.
#pragma once

#include <windows.h>
#include <lm.h>
#include <objbase.h>
#include <shellapi.h>
#include <wtsapi32.h>

namespace lullan {

// NetServerEnum, NetGetAnyDCName, NetQueryDisplayInformation, NetUserGetInfo,
// NetWkstaGetInfo. Buffers come from NetApiBufferAllocate and are freed with
// NetApiBufferFree by the caller, whoever produced them.
class Domain {
 public:
  virtual ~Domain() = default;
  virtual NET_API_STATUS ServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                                    LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                                    LPDWORD resumeHandle) = 0;
  virtual NET_API_STATUS GetAnyDCName(LPCWSTR serverName, LPCWSTR domainName, LPBYTE* buffer) = 0;
  virtual NET_API_STATUS QueryDisplayInformation(LPCWSTR serverName, DWORD level, DWORD index, DWORD entriesRequested,
                                                 DWORD preferredMaximumLength, LPDWORD returnedEntryCount,
                                                 PVOID* sortedBuffer) = 0;
  virtual NET_API_STATUS UserGetInfo(LPCWSTR serverName, LPCWSTR userName, DWORD level, LPBYTE* buffer) = 0;
  virtual NET_API_STATUS WkstaGetInfo(LPWSTR serverName, DWORD level, LPBYTE* buffer) = 0;
};

// RegConnectRegistryW. The key handed back is closed with RegCloseKey.
class RemoteRegistry {
 public:
  virtual ~RemoteRegistry() = default;
  virtual LSTATUS ConnectRegistry(LPCWSTR machineName, HKEY hive, PHKEY result) = 0;
};

// The service control manager of a named machine. Handles from OpenManager and
// OpenService are closed through CloseHandle of the same seam (see
// unique_remote_service below). Failures set the thread's last error.
class RemoteServiceManager {
 public:
  virtual ~RemoteServiceManager() = default;
  virtual SC_HANDLE OpenManager(LPCWSTR machineName, DWORD desiredAccess) = 0;
  virtual SC_HANDLE OpenNamedService(SC_HANDLE manager, LPCWSTR serviceName, DWORD desiredAccess) = 0;
  virtual BOOL QueryStatus(SC_HANDLE service, SERVICE_STATUS* status) = 0;
  virtual BOOL Start(SC_HANDLE service) = 0;
  virtual BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) = 0;
  virtual BOOL CloseHandle(SC_HANDLE handle) = 0;
};

// CoCreateInstanceEx with CLSCTX_REMOTE_SERVER: the logoff object on another machine.
class RemoteLogoff {
 public:
  virtual ~RemoteLogoff() = default;
  virtual HRESULT CreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server, DWORD count,
                                   MULTI_QI* results) = 0;
};

// Ending the interactive session, and the shutdown privilege it needs.
class SystemExit {
 public:
  virtual ~SystemExit() = default;
  virtual BOOL ExitWindowsEx(UINT flags, DWORD reason) = 0;
  // Enables SeShutdownPrivilege in the process token; true when the thread's
  // last error is 0 after AdjustTokenPrivileges.
  virtual bool EnableShutdownPrivilege() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void GetLocalTime(SYSTEMTIME* time) = 0;
};

// RegisterEventSourceW / ReportEventW / DeregisterEventSource.
class EventLog {
 public:
  virtual ~EventLog() = default;
  virtual HANDLE RegisterSource(LPCWSTR serverName, LPCWSTR sourceName) = 0;
  virtual BOOL Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount,
                      DWORD dataSize, LPCWSTR* strings, LPVOID data) = 0;
  virtual BOOL DeregisterSource(HANDLE source) = 0;
};

// The interactive sessions of this machine, as the idle-logoff service sees
// them: WTSEnumerateSessionsW (freed with FreeMemory), the console session,
// each session's user token, the session of a process, and ending a session.
// Under Wine the list is empty, the console is session 1, every token is the
// caller's own and a logoff fails.
class Sessions {
 public:
  virtual ~Sessions() = default;
  virtual BOOL EnumerateSessions(PWTS_SESSION_INFOW* sessions, DWORD* count) = 0;
  virtual void FreeMemory(PVOID memory) = 0;
  virtual DWORD GetActiveConsoleSessionId() = 0;
  // A primary token of the session's user, closed with CloseHandle by the caller.
  virtual BOOL QueryUserToken(ULONG sessionId, PHANDLE token) = 0;
  virtual BOOL ProcessIdToSessionId(DWORD processId, DWORD* sessionId) = 0;
  virtual BOOL LogoffSession(DWORD sessionId, BOOL wait) = 0;
};

// What the idle-logoff agent does on its user's desktop: the notification
// area icon (Shell_NotifyIconW), a sound (PlaySoundW), and what tells that the
// foreground program keeps the display on: SHQueryUserNotificationState
// (presentation and full-screen states) and the system's execution state
// (CallNtPowerInformation SystemExecutionState; ES_DISPLAY_REQUIRED while a
// program holds a display request). Wine answers these with stubs (always
// "accepts notifications", always ES_USER_PRESENT) and has no notification
// area without Explorer's: the tests record and drive them here.
class UserDesktop {
 public:
  // SHQueryUserNotificationState's answers (QUERY_USER_NOTIFICATION_STATE,
  // which the XP headers this suite builds with do not declare).
  enum NotificationState : DWORD {
    kNotPresent = 1,  // a full-screen program, or the screen saver
    kBusy = 2,        // a full-screen program
    kFullScreenDirect3D = 3,
    kPresentationMode = 4,
    kAcceptsNotifications = 5,
    kQuietTime = 6,
    kStoreApp = 7,
  };
  virtual ~UserDesktop() = default;
  virtual BOOL NotifyIcon(DWORD message, PNOTIFYICONDATAW data) = 0;
  virtual BOOL PlaySound(LPCWSTR file, DWORD flags) = 0;  // SND_FILENAME is added
  virtual HRESULT QueryUserNotificationState(NotificationState* state) = 0;
  // The execution state, or 0 when it cannot be read.
  virtual EXECUTION_STATE SystemExecutionState() = 0;
};

struct Platform {
  Domain* domain;
  RemoteRegistry* remoteRegistry;
  RemoteServiceManager* remoteServices;
  RemoteLogoff* remoteLogoff;
  SystemExit* systemExit;
  Clock* clock;
  EventLog* eventLog;
  Sessions* sessions;
  UserDesktop* desktop;
};

// The implementations in force for this process.
const Platform& platform();
// Installs `replacement` and returns what was in force before.
Platform InstallPlatform(const Platform& replacement);
// The Win32 implementations (what is installed at process start).
const Platform& Win32Platform();

// Owners for handles that come from a seam and go back to it.
namespace traits {
struct RemoteServiceHandle {
  using type = SC_HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { platform().remoteServices->CloseHandle(h); }
};
struct SessionMemory {  // what Sessions::EnumerateSessions hands back
  using type = PWTS_SESSION_INFOW;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { platform().sessions->FreeMemory(p); }
};
struct EventSource {
  using type = HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { platform().eventLog->DeregisterSource(h); }
};
}  // namespace traits

}  // namespace lullan

#include "unique_any.h"

namespace lullan {
using unique_remote_service = unique_any<traits::RemoteServiceHandle>;
using unique_event_source = unique_any<traits::EventSource>;
using unique_session_list = unique_any<traits::SessionMemory>;
}  // namespace lullan
