#include "key_copy.h"

#include <algorithm>

namespace lullan::tarnel {

namespace {

// The longest value name the registry takes, and the longest key name.
constexpr DWORD kValueNameChars = 16384;
constexpr DWORD kKeyNameChars = 256;
// A value that keeps growing between its size query and its read is given up.
constexpr int kReadAttempts = 4;

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

template <typename Enumerate>
LSTATUS Names(DWORD maxChars, std::vector<std::wstring>& names, Enumerate enumerate) {
  names.clear();
  std::vector<wchar_t> name(maxChars);
  for (DWORD index = 0;; ++index) {
    DWORD length = maxChars;
    LSTATUS status = enumerate(index, name.data(), &length);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    names.emplace_back(name.data(), length);
  }
}

}  // namespace

std::wstring RegistryValue::Text() const {
  if (!IsText(type)) return std::wstring();
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::copy_n(data.begin(), text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
  return text.substr(0, text.find(L'\0'));
}

LSTATUS ReadValue(HKEY key, const wchar_t* name, RegistryValue& value) {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    value.data.resize(size);
    status = ::RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;  // it grew in between
    if (status != ERROR_SUCCESS) return status;
    value.data.resize(size);
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

LSTATUS WriteValue(HKEY key, const wchar_t* name, const RegistryValue& value) {
  static const BYTE kNullCharacter[sizeof(wchar_t)] = {};
  const bool emptyText = IsText(value.type) && value.data.empty();
  const BYTE* data = emptyText ? kNullCharacter : value.data.data();
  DWORD size = emptyText ? sizeof kNullCharacter : static_cast<DWORD>(value.data.size());
  return ::RegSetValueExW(key, name, 0, value.type, data, size);
}

LSTATUS MirrorValues(HKEY from, HKEY to) {
  std::vector<std::wstring> wanted;
  if (LSTATUS status = ValueNames(from, wanted); status != ERROR_SUCCESS) return status;
  for (const std::wstring& name : wanted) {
    RegistryValue value;
    LSTATUS status = ReadValue(from, name.c_str(), value);
    if (status == ERROR_FILE_NOT_FOUND) continue;  // deleted since it was listed
    if (status == ERROR_SUCCESS) status = WriteValue(to, name.c_str(), value);
    if (status != ERROR_SUCCESS) return status;
  }
  std::vector<std::wstring> present;
  if (LSTATUS status = ValueNames(to, present); status != ERROR_SUCCESS) return status;
  for (const std::wstring& name : present) {
    auto same = [&name](const std::wstring& other) { return SameName(name, other); };
    if (std::any_of(wanted.begin(), wanted.end(), same)) continue;
    if (LSTATUS status = ::RegDeleteValueW(to, name.c_str()); status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

LSTATUS ValueNames(HKEY key, std::vector<std::wstring>& names) {
  return Names(kValueNameChars, names, [key](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

LSTATUS SubkeyNames(HKEY key, std::vector<std::wstring>& names) {
  return Names(kKeyNameChars, names, [key](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace lullan::tarnel
