#include "fake_platform.h"

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
                               DWORD dataSize, LPCWSTR*, LPVOID) {
  auto it = sources_.find(source);
  if (it == sources_.end()) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  events.push_back(
      Event{it->second.server, it->second.name, type, category, eventId, userSid != nullptr, stringCount, dataSize});
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

}  // namespace lullan::test
