#include "fake_platform.h"

#include "handles.h"
#include "machine_names.h"

namespace lullan::test {

FixedClock::FixedClock(WORD year, WORD month, WORD day, WORD hour, WORD minute) : now{} {
  now.wYear = year;
  now.wMonth = month;
  now.wDay = day;
  now.wHour = hour;
  now.wMinute = minute;
}

HANDLE RecordingEventLog::RegisterSource(LPCWSTR serverName, LPCWSTR sourceName) {
  HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_++);
  sources_[handle] = Source{serverName ? serverName : L"", sourceName ? sourceName : L""};
  ++openSources;
  return handle;
}

BOOL RecordingEventLog::Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount,
                               DWORD dataSize, LPCWSTR* strings, LPVOID) {
  auto it = sources_.find(source);
  if (it == sources_.end()) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::vector<std::wstring> texts;
  for (WORD i = 0; strings && i < stringCount; ++i) texts.emplace_back(strings[i] ? strings[i] : L"");
  events.push_back(Event{it->second.server, it->second.name, type, category, eventId, userSid != nullptr, stringCount,
                         dataSize, std::move(texts)});
  return TRUE;
}

BOOL RecordingEventLog::DeregisterSource(HANDLE source) {
  if (sources_.erase(source) == 0) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  --openSources;
  return TRUE;
}

std::vector<DWORD> RecordingEventLog::Ids() const {
  std::vector<DWORD> ids;
  for (const Event& e : events) ids.push_back(e.id);
  return ids;
}

HKEY FakeRemoteRegistry::AddMachine(const std::wstring& name) {
  std::lock_guard guard(lock_);
  auto& machine = machines_[MachineKey(name)];
  if (!machine) machine = std::make_unique<ScratchKey>(L"machine-" + MachineKey(name));
  return machine->get();
}

void FakeRemoteRegistry::FailMachine(const std::wstring& name, LSTATUS error) {
  std::lock_guard guard(lock_);
  if (error == ERROR_SUCCESS) {
    failures_.erase(MachineKey(name));
  } else {
    failures_[MachineKey(name)] = error;
  }
}

LSTATUS FakeRemoteRegistry::ConnectRegistry(LPCWSTR machineName, HKEY hive, PHKEY result) {
  if (DWORD delay = delay_) ::Sleep(delay);
  std::lock_guard guard(lock_);
  requests.push_back(Recorded(machineName));
  if (hive != HKEY_LOCAL_MACHINE) return ERROR_INVALID_PARAMETER;
  const std::wstring name = MachineKey(machineName);
  if (auto failure = failures_.find(name); failure != failures_.end()) return failure->second;
  auto machine = machines_.find(name);
  if (machine == machines_.end()) return ERROR_BAD_NETPATH;
  // A fresh handle to the subtree, which the caller closes with RegCloseKey.
  return ::RegOpenKeyExW(machine->second->get(), nullptr, 0, KEY_ALL_ACCESS, result);
}

BOOL RecordingSystemExit::ExitWindowsEx(UINT flags, DWORD reason) {
  calls.push_back(Call{flags, reason});
  if (!exitResult) ::SetLastError(ERROR_PRIVILEGE_NOT_HELD);
  return exitResult;
}

bool RecordingSystemExit::EnableShutdownPrivilege() {
  ++privilegeRequests;
  return privilegeResult;
}

BOOL RecordingDesktop::NotifyIcon(DWORD message, PNOTIFYICONDATAW data) {
  iconCalls.push_back(IconCall{message, data->hWnd, data->uID, (data->uFlags & NIF_ICON) && data->hIcon,
                               (data->uFlags & NIF_TIP) ? std::wstring(data->szTip) : std::wstring()});
  return notifyResult;
}

std::optional<std::wstring> RecordingDesktop::Tooltip() const {
  std::optional<std::wstring> tip;
  for (const IconCall& call : iconCalls) {
    if (call.message == NIM_DELETE) {
      tip.reset();
    } else if (call.message == NIM_ADD || (call.message == NIM_MODIFY && tip)) {
      tip = call.tip;
    }
  }
  return tip;
}

BOOL RecordingDesktop::PlaySound(LPCWSTR file, DWORD flags) {
  sounds.push_back(Sound{file, flags});
  return TRUE;
}

HRESULT RecordingDesktop::QueryUserNotificationState(NotificationState* state) {
  *state = notificationState;
  return S_OK;
}

void FakeSessions::List(std::vector<Listed> sessions) {
  std::lock_guard guard(lock_);
  listed_ = std::move(sessions);
}

void FakeSessions::SetConsole(DWORD session) {
  std::lock_guard guard(lock_);
  console_ = session;
}

void FakeSessions::WithoutUser(DWORD session) {
  std::lock_guard guard(lock_);
  withoutUser_.insert(session);
}

void FakeSessions::PlaceProcess(DWORD processId, DWORD session) {
  std::lock_guard guard(lock_);
  processSessions_[processId] = session;
}

void FakeSessions::SetDefaultSession(DWORD session) {
  std::lock_guard guard(lock_);
  defaultSession_ = session;
}

void FakeSessions::SetLogoffResult(BOOL result) {
  std::lock_guard guard(lock_);
  logoffResult_ = result;
}

std::vector<DWORD> FakeSessions::loggedOff() const {
  std::lock_guard guard(lock_);
  return loggedOff_;
}

BOOL FakeSessions::EnumerateSessions(PWTS_SESSION_INFOW* sessions, DWORD* count) {
  std::lock_guard guard(lock_);
  auto* list = static_cast<PWTS_SESSION_INFOW>(
      ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WTS_SESSION_INFOW) * (listed_.size() + 1)));
  if (!list) return FALSE;
  static wchar_t station[] = L"Console";
  for (size_t i = 0; i < listed_.size(); ++i) list[i] = WTS_SESSION_INFOW{listed_[i].id, station, listed_[i].state};
  *sessions = list;
  *count = static_cast<DWORD>(listed_.size());
  return TRUE;
}

void FakeSessions::FreeMemory(PVOID memory) { ::HeapFree(::GetProcessHeap(), 0, memory); }

DWORD FakeSessions::GetActiveConsoleSessionId() {
  std::lock_guard guard(lock_);
  return console_;
}

BOOL FakeSessions::QueryUserToken(ULONG sessionId, PHANDLE token) {
  {
    std::lock_guard guard(lock_);
    if (withoutUser_.count(sessionId)) {
      ::SetLastError(ERROR_NO_TOKEN);
      return FALSE;
    }
  }
  unique_handle own;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, own.put())) return FALSE;
  return ::DuplicateTokenEx(own.get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, token);
}

BOOL FakeSessions::ProcessIdToSessionId(DWORD processId, DWORD* sessionId) {
  std::lock_guard guard(lock_);
  auto placed = processSessions_.find(processId);
  *sessionId = placed != processSessions_.end() ? placed->second : defaultSession_;
  return TRUE;
}

BOOL FakeSessions::LogoffSession(DWORD sessionId, BOOL) {
  std::lock_guard guard(lock_);
  loggedOff_.push_back(sessionId);
  if (!logoffResult_) ::SetLastError(ERROR_INVALID_FUNCTION);
  return logoffResult_;
}

}  // namespace lullan::test
