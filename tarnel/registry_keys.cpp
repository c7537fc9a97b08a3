#include "registry_keys.h"

#include "platform.h"

namespace lullan::tarnel {

namespace {

// A registry key's name has at most 255 characters.
constexpr DWORD kKeyNameChars = 256;

unique_hkey Owned(LSTATUS result, HKEY key, LSTATUS* status) {
  if (status) *status = result;
  return result == ERROR_SUCCESS ? unique_hkey(key) : unique_hkey();
}

}  // namespace

unique_hkey OpenKey(HKEY parent, const std::wstring& path, REGSAM access, LSTATUS* status) {
  HKEY key = nullptr;
  LSTATUS result = ::RegOpenKeyExW(parent, path.c_str(), 0, access, &key);
  return Owned(result, key, status);
}

unique_hkey CreateKey(HKEY parent, const std::wstring& path, REGSAM access, bool* created, LSTATUS* status) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LSTATUS result =
      ::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
  if (created) *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return Owned(result, key, status);
}

unique_hkey ConnectRegistry(const std::wstring& computer, LSTATUS* status) {
  HKEY root = nullptr;
  std::wstring machine = L"\\\\" + computer;
  LSTATUS result = platform().remoteRegistry->ConnectRegistry(machine.c_str(), HKEY_LOCAL_MACHINE, &root);
  return Owned(result, root, status);
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kKeyNameChars] = {};
    DWORD length = kKeyNameChars;
    if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace lullan::tarnel
