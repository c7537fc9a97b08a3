// Test stand-ins for the seams, and a scope that installs them for one test.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform.h"
#include "registry_fixture.h"

namespace lullan::test {

// Installs single seams for the life of the object and puts back what was in
// force before.
class ScopedPlatform {
 public:
  ScopedPlatform() : previous_(platform()) {}
  ~ScopedPlatform() { InstallPlatform(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

  ScopedPlatform& Use(Domain& seam) { return Change(&Platform::domain, &seam); }
  ScopedPlatform& Use(RemoteRegistry& seam) { return Change(&Platform::remoteRegistry, &seam); }
  ScopedPlatform& Use(RemoteServiceManager& seam) { return Change(&Platform::remoteServices, &seam); }
  ScopedPlatform& Use(RemoteLogoff& seam) { return Change(&Platform::remoteLogoff, &seam); }
  ScopedPlatform& Use(SystemExit& seam) { return Change(&Platform::systemExit, &seam); }
  ScopedPlatform& Use(Clock& seam) { return Change(&Platform::clock, &seam); }
  ScopedPlatform& Use(EventLog& seam) { return Change(&Platform::eventLog, &seam); }
  ScopedPlatform& Use(Sessions& seam) { return Change(&Platform::sessions, &seam); }
  ScopedPlatform& Use(UserDesktop& seam) { return Change(&Platform::desktop, &seam); }

 private:
  template <typename Seam>
  ScopedPlatform& Change(Seam* Platform::*field, Seam* seam) {
    Platform changed = platform();
    changed.*field = seam;
    InstallPlatform(changed);
    return *this;
  }
  Platform previous_;
};

// A clock that always says the same local time.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(WORD year = 2026, WORD month = 12, WORD day = 7, WORD hour = 9, WORD minute = 5);
  void GetLocalTime(SYSTEMTIME* time) override { *time = now; }
  SYSTEMTIME now;
};

// Records every event reported, and checks that sources are deregistered.
class RecordingEventLog final : public EventLog {
 public:
  struct Event {
    std::wstring server;  // empty for the local machine
    std::wstring source;
    WORD type;
    WORD category;
    DWORD id;
    bool hasUserSid;
    WORD stringCount;
    DWORD dataSize;
    std::vector<std::wstring> strings;
  };
  HANDLE RegisterSource(LPCWSTR serverName, LPCWSTR sourceName) override;
  BOOL Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount, DWORD dataSize,
              LPCWSTR* strings, LPVOID data) override;
  BOOL DeregisterSource(HANDLE source) override;

  std::vector<DWORD> Ids() const;
  std::vector<Event> events;
  int openSources = 0;  // registered and not yet deregistered

 private:
  struct Source {
    std::wstring server;
    std::wstring name;
  };
  std::map<HANDLE, Source> sources_;
  ULONG_PTR nextHandle_ = 0x1000;
};

// Other machines' HKEY_LOCAL_MACHINE, each a scratch subtree of this prefix's
// registry, so the code under test does real registry work on them.
// Machine names match as RegConnectRegistryW matches them: with or without the
// leading "\\", in any case. Connections may come from several threads at
// once (the console's scan workers and its buttons); read `requests` once
// they are done.
class FakeRemoteRegistry final : public RemoteRegistry {
 public:
  // Adds a machine and returns its HKEY_LOCAL_MACHINE for the test to fill.
  HKEY AddMachine(const std::wstring& name);
  // Connections to `name` fail with `error` (ERROR_SUCCESS: work again).
  void FailMachine(const std::wstring& name, LSTATUS error);
  // Every connection first waits this long, as over a slow network (outside
  // the fake's lock, so connections from several threads wait side by side).
  void DelayEachCall(DWORD milliseconds) { delay_ = milliseconds; }
  LSTATUS ConnectRegistry(LPCWSTR machineName, HKEY hive, PHKEY result) override;

  std::vector<std::wstring> requests;  // machine names as the code asked for them

 private:
  std::mutex lock_;
  std::map<std::wstring, std::unique_ptr<ScratchKey>> machines_;  // by MachineKey
  std::map<std::wstring, LSTATUS> failures_;
  std::atomic<DWORD> delay_{0};
};

// Records ExitWindowsEx calls instead of ending the session.
class RecordingSystemExit final : public SystemExit {
 public:
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;
  bool EnableShutdownPrivilege() override;

  struct Call {
    UINT flags;
    DWORD reason;
  };
  std::vector<Call> calls;
  int privilegeRequests = 0;
  BOOL exitResult = TRUE;       // what ExitWindowsEx returns
  bool privilegeResult = true;  // whether the privilege step succeeds
};

// The sessions of a machine as a test sets them: the sessions listed with
// their states, the console session, a token for each (a copy of the test
// process's own: the same user, groups and logon SID), the session each
// process runs in, and the logoffs asked for, recorded. Used from several
// threads at once (the engine's and its pipe thread).
class FakeSessions final : public Sessions {
 public:
  struct Listed {
    DWORD id;
    WTS_CONNECTSTATE_CLASS state;
  };
  // What the list holds; empty, as under Wine, unless set.
  void List(std::vector<Listed> sessions);
  void SetConsole(DWORD session);
  // Sessions nobody is logged on to: no token.
  void WithoutUser(DWORD session);
  // The session a process runs in (others: `defaultSession`).
  void PlaceProcess(DWORD processId, DWORD session);
  void SetDefaultSession(DWORD session);
  // What a logoff returns (FALSE sets the last error 120, as Wine answers).
  void SetLogoffResult(BOOL result);
  std::vector<DWORD> loggedOff() const;

  BOOL EnumerateSessions(PWTS_SESSION_INFOW* sessions, DWORD* count) override;
  void FreeMemory(PVOID memory) override;
  DWORD GetActiveConsoleSessionId() override;
  BOOL QueryUserToken(ULONG sessionId, PHANDLE token) override;
  BOOL ProcessIdToSessionId(DWORD processId, DWORD* sessionId) override;
  BOOL LogoffSession(DWORD sessionId, BOOL wait) override;

 private:
  mutable std::mutex lock_;
  std::vector<Listed> listed_;
  DWORD console_ = 1;
  std::set<DWORD> withoutUser_;
  std::map<DWORD, DWORD> processSessions_;
  DWORD defaultSession_ = 1;
  BOOL logoffResult_ = TRUE;
  std::vector<DWORD> loggedOff_;
};

// The user's desktop as the agent sees it: the notification-area calls and
// the sounds recorded, and the foreground's state as the test sets it.
class RecordingDesktop final : public UserDesktop {
 public:
  struct IconCall {
    DWORD message;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
    HWND window;
    UINT id;
    bool hasIcon;
    std::wstring tip;
  };
  struct Sound {
    std::wstring file;
    DWORD flags;
  };
  BOOL NotifyIcon(DWORD message, PNOTIFYICONDATAW data) override;
  BOOL PlaySound(LPCWSTR file, DWORD flags) override;
  HRESULT QueryUserNotificationState(NotificationState* state) override;
  EXECUTION_STATE SystemExecutionState() override { return executionState; }

  // The icon's tooltip now (after the calls so far), or nullopt with no icon.
  std::optional<std::wstring> Tooltip() const;

  std::vector<IconCall> iconCalls;
  std::vector<Sound> sounds;
  BOOL notifyResult = TRUE;  // FALSE: no notification area (Explorer not running)
  NotificationState notificationState = kAcceptsNotifications;
  EXECUTION_STATE executionState = ES_USER_PRESENT;
};

}  // namespace lullan::test
