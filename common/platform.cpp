#include "platform.h"

#include <string>

#include "handles.h"

namespace lullan {

namespace {

class Win32Domain final : public Domain {
 public:
  NET_API_STATUS ServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                            LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                            LPDWORD resumeHandle) override {
    return ::NetServerEnum(serverName, level, buffer, preferredMaximumLength, entriesRead, totalEntries, serverType,
                           domain, resumeHandle);
  }
  NET_API_STATUS GetAnyDCName(LPCWSTR serverName, LPCWSTR domainName, LPBYTE* buffer) override {
    return ::NetGetAnyDCName(serverName, domainName, buffer);
  }
  NET_API_STATUS QueryDisplayInformation(LPCWSTR serverName, DWORD level, DWORD index, DWORD entriesRequested,
                                         DWORD preferredMaximumLength, LPDWORD returnedEntryCount,
                                         PVOID* sortedBuffer) override {
    return ::NetQueryDisplayInformation(serverName, level, index, entriesRequested, preferredMaximumLength,
                                        returnedEntryCount, sortedBuffer);
  }
  NET_API_STATUS UserGetInfo(LPCWSTR serverName, LPCWSTR userName, DWORD level, LPBYTE* buffer) override {
    return ::NetUserGetInfo(serverName, userName, level, buffer);
  }
  NET_API_STATUS WkstaGetInfo(LPWSTR serverName, DWORD level, LPBYTE* buffer) override {
    return ::NetWkstaGetInfo(serverName, level, buffer);
  }
};

class Win32RemoteRegistry final : public RemoteRegistry {
 public:
  LSTATUS ConnectRegistry(LPCWSTR machineName, HKEY hive, PHKEY result) override {
    return ::RegConnectRegistryW(machineName, hive, result);
  }
};

class Win32RemoteServiceManager final : public RemoteServiceManager {
 public:
  SC_HANDLE OpenManager(LPCWSTR machineName, DWORD desiredAccess) override {
    return ::OpenSCManagerW(machineName, SERVICES_ACTIVE_DATABASEW, desiredAccess);
  }
  SC_HANDLE OpenNamedService(SC_HANDLE manager, LPCWSTR serviceName, DWORD desiredAccess) override {
    return ::OpenServiceW(manager, serviceName, desiredAccess);
  }
  BOOL QueryStatus(SC_HANDLE service, SERVICE_STATUS* status) override { return ::QueryServiceStatus(service, status); }
  BOOL Start(SC_HANDLE service) override { return ::StartServiceW(service, 0, nullptr); }
  BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override {
    return ::ControlService(service, control, status);
  }
  BOOL CloseHandle(SC_HANDLE handle) override { return ::CloseServiceHandle(handle); }
};

class Win32RemoteLogoff final : public RemoteLogoff {
 public:
  HRESULT CreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* server, DWORD count,
                           MULTI_QI* results) override {
    return ::CoCreateInstanceEx(clsid, outer, context, server, count, results);
  }
};

class Win32SystemExit final : public SystemExit {
 public:
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override { return ::ExitWindowsEx(flags, reason); }

  bool EnableShutdownPrivilege() override {
    unique_handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
    TOKEN_PRIVILEGES privileges{};
    if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return false;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // ERROR_NOT_ALL_ASSIGNED (a privilege the user doesn't hold) counts as failure too.
    return ::GetLastError() == ERROR_SUCCESS;
  }
};

class Win32Clock final : public Clock {
 public:
  void GetLocalTime(SYSTEMTIME* time) override { ::GetLocalTime(time); }
};

class Win32EventLog final : public EventLog {
 public:
  HANDLE RegisterSource(LPCWSTR serverName, LPCWSTR sourceName) override {
    return ::RegisterEventSourceW(serverName, sourceName);
  }
  BOOL Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount, DWORD dataSize,
              LPCWSTR* strings, LPVOID data) override {
    return ::ReportEventW(source, type, category, eventId, userSid, stringCount, dataSize, strings, data);
  }
  BOOL DeregisterSource(HANDLE source) override { return ::DeregisterEventSource(source); }
};

// wtsapi32.dll is loaded when the sessions are first asked about: the
// idle-logoff service does, and every other program starts without it.
class Win32Sessions final : public Sessions {
 public:
  BOOL EnumerateSessions(PWTS_SESSION_INFOW* sessions, DWORD* count) override {
    auto enumerate = Find<decltype(&::WTSEnumerateSessionsW)>("WTSEnumerateSessionsW");
    return enumerate && enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, sessions, count);
  }
  void FreeMemory(PVOID memory) override {
    if (auto free = Find<decltype(&::WTSFreeMemory)>("WTSFreeMemory")) free(memory);
  }
  DWORD GetActiveConsoleSessionId() override { return ::WTSGetActiveConsoleSessionId(); }
  BOOL QueryUserToken(ULONG sessionId, PHANDLE token) override {
    auto query = Find<decltype(&::WTSQueryUserToken)>("WTSQueryUserToken");
    return query && query(sessionId, token);
  }
  BOOL ProcessIdToSessionId(DWORD processId, DWORD* sessionId) override {
    return ::ProcessIdToSessionId(processId, sessionId);
  }
  BOOL LogoffSession(DWORD sessionId, BOOL wait) override {
    auto logoff = Find<decltype(&::WTSLogoffSession)>("WTSLogoffSession");
    return logoff && logoff(WTS_CURRENT_SERVER_HANDLE, sessionId, wait);
  }

 private:
  // The system's own copy, by its full path; kept loaded for the process.
  template <typename Function>
  static Function Find(const char* name) {
    static const HMODULE library = [] {
      wchar_t system[MAX_PATH];
      UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
      if (length == 0 || length >= MAX_PATH) return HMODULE{};
      std::wstring path(system, length);
      path += L"\\wtsapi32.dll";
      return ::LoadLibraryW(path.c_str());
    }();
    if (!library) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
  }
};

// The system's own copy of `file`, by its full path, loaded on first use and
// kept for the process: only the agent needs these libraries.
HMODULE SystemLibrary(const wchar_t* file) {
  wchar_t system[MAX_PATH];
  UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(system, length);
  path += L"\\";
  path += file;
  return ::LoadLibraryW(path.c_str());
}

template <typename Function>
Function Lookup(const wchar_t* file, const char* name) {
  HMODULE library = SystemLibrary(file);
  if (!library) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

class Win32UserDesktop final : public UserDesktop {
 public:
  BOOL NotifyIcon(DWORD message, PNOTIFYICONDATAW data) override {
    static const auto notify = Lookup<decltype(&::Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
    return notify && notify(message, data);
  }
  BOOL PlaySound(LPCWSTR file, DWORD flags) override {
    using PlaySoundFunction = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
    static const auto play = Lookup<PlaySoundFunction>(L"winmm.dll", "PlaySoundW");
    constexpr DWORD kFileName = 0x00020000;  // SND_FILENAME
    return play && play(file, nullptr, flags | kFileName);
  }
  HRESULT QueryUserNotificationState(NotificationState* state) override {
    using QueryFunction = HRESULT(WINAPI*)(NotificationState*);
    static const auto query = Lookup<QueryFunction>(L"shell32.dll", "SHQueryUserNotificationState");
    return query ? query(state) : E_NOTIMPL;  // before Vista there is none
  }
  EXECUTION_STATE SystemExecutionState() override {
    using PowerInformation = LONG(WINAPI*)(int, PVOID, ULONG, PVOID, ULONG);
    static const auto power = Lookup<PowerInformation>(L"powrprof.dll", "CallNtPowerInformation");
    constexpr int kSystemExecutionState = 16;
    EXECUTION_STATE state = 0;
    if (!power || power(kSystemExecutionState, nullptr, 0, &state, sizeof state) != 0) return 0;
    return state;
  }
};

Platform MakeWin32Platform() {
  static Win32Domain domain;
  static Win32RemoteRegistry remoteRegistry;
  static Win32RemoteServiceManager remoteServices;
  static Win32RemoteLogoff remoteLogoff;
  static Win32SystemExit systemExit;
  static Win32Clock clock;
  static Win32EventLog eventLog;
  static Win32Sessions sessions;
  static Win32UserDesktop desktop;
  return Platform{&domain, &remoteRegistry, &remoteServices, &remoteLogoff, &systemExit,
                  &clock,  &eventLog,       &sessions,       &desktop};
}

Platform& Installed() {
  static Platform installed = Win32Platform();
  return installed;
}

}  // namespace

const Platform& Win32Platform() {
  static const Platform win32 = MakeWin32Platform();
  return win32;
}

const Platform& platform() { return Installed(); }

Platform InstallPlatform(const Platform& replacement) {
  Platform previous = Installed();
  Installed() = replacement;
  return previous;
}

}  // namespace lullan
