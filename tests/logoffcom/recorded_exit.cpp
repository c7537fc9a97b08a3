#include "recorded_exit.h"

#include "handles.h"

namespace lullan::test {

namespace {

constexpr wchar_t kKey[] = L"Software\\LullanTests\\RecordedExit";

unique_hkey OpenRecord() {
  unique_hkey key;
  ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                    nullptr);
  return key;
}

std::vector<DWORD> ReadFlags(HKEY key) {
  DWORD size = 0;
  if (::RegQueryValueExW(key, L"Flags", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return {};
  std::vector<DWORD> flags(size / sizeof(DWORD));
  size = static_cast<DWORD>(flags.size() * sizeof(DWORD));
  if (::RegQueryValueExW(key, L"Flags", nullptr, nullptr, reinterpret_cast<BYTE*>(flags.data()), &size) !=
      ERROR_SUCCESS)
    return {};
  return flags;
}

DWORD ReadDwordValue(HKEY key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return fallback;
  return value;
}

void WriteDwordValue(HKEY key, const wchar_t* name, DWORD value) {
  ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

BOOL RegistrySystemExit::ExitWindowsEx(UINT flags, DWORD /*reason*/) {
  unique_hkey key = OpenRecord();
  std::vector<DWORD> all = ReadFlags(key.get());
  all.push_back(flags);
  ::RegSetValueExW(key.get(), L"Flags", 0, REG_BINARY, reinterpret_cast<const BYTE*>(all.data()),
                   static_cast<DWORD>(all.size() * sizeof(DWORD)));
  if (ReadDwordValue(key.get(), L"ExitResult", TRUE)) return TRUE;
  ::SetLastError(ERROR_PRIVILEGE_NOT_HELD);
  return FALSE;
}

bool RegistrySystemExit::EnableShutdownPrivilege() {
  unique_hkey key = OpenRecord();
  WriteDwordValue(key.get(), L"PrivilegeRequests", ReadDwordValue(key.get(), L"PrivilegeRequests", 0) + 1);
  return true;
}

void InstallRegistrySystemExit() {
  static RegistrySystemExit recorder;
  Platform changed = platform();
  changed.systemExit = &recorder;
  InstallPlatform(changed);
}

void ClearRecordedExits() { ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }

std::vector<DWORD> RecordedExitFlags() { return ReadFlags(OpenRecord().get()); }

DWORD RecordedPrivilegeRequests() { return ReadDwordValue(OpenRecord().get(), L"PrivilegeRequests", 0); }

void ScriptExitResult(BOOL result) { WriteDwordValue(OpenRecord().get(), L"ExitResult", result ? 1 : 0); }

}  // namespace lullan::test
