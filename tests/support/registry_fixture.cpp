#include "registry_fixture.h"

#include <gtest/gtest.h>

#include <vector>

#include "text_format.h"

namespace lullan::test {

LSTATUS DeleteTree(HKEY root, const std::wstring& path) {
  unique_hkey key;
  LSTATUS status = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, key.put());
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  for (;;) {
    wchar_t name[256];
    DWORD length = ARRAYSIZE(name);
    status = ::RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return status;
    status = DeleteTree(key.get(), name);
    if (status != ERROR_SUCCESS) return status;
  }
  key.reset();
  return ::RegDeleteKeyW(root, path.c_str());
}

ScratchKey::ScratchKey(const std::wstring& label) {
  static LONG counter = 0;
  path_ = FormatText(L"Software\\LullanTests\\%s-%lu-%ld", label.c_str(), ::GetCurrentProcessId(),
                     ::InterlockedIncrement(&counter));
  DeleteTree(HKEY_CURRENT_USER, path_);
  LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
  if (status != ERROR_SUCCESS) ADD_FAILURE() << "cannot create scratch key, error " << status;
}

ScratchKey::~ScratchKey() {
  key_.reset();
  DeleteTree(HKEY_CURRENT_USER, path_);
}

void WriteRaw(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  unique_hkey key;
  LSTATUS status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                     key.put(), nullptr);
  if (status == ERROR_SUCCESS)
    status = ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
  if (status != ERROR_SUCCESS) ADD_FAILURE() << "cannot write a test value, error " << status;
}

void WriteString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  WriteRaw(root, path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void WriteDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value) {
  WriteRaw(root, path, name, REG_DWORD, &value, sizeof value);
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(data.data());
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& path, const wchar_t* name) {
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return std::nullopt;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return value;
}

std::optional<ValueInfo> QueryValueInfo(HKEY root, const std::wstring& path, const wchar_t* name) {
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return std::nullopt;
  ValueInfo info{};
  if (::RegQueryValueExW(key.get(), name, nullptr, &info.type, nullptr, &info.size) != ERROR_SUCCESS)
    return std::nullopt;
  return info;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  unique_hkey key;
  return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

DWORD CountValues(HKEY root, const std::wstring& path) {
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;
  DWORD values = 0;
  ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
  return values;
}

}  // namespace lullan::test
