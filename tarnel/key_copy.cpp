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

// A name in capitals, as the registry compares names.
std::wstring Folded(const std::wstring& name) {
  std::wstring folded(name);
  if (!folded.empty()) {
    ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.c_str(), static_cast<int>(name.size()), folded.data(),
                   static_cast<int>(folded.size()));
  }
  return folded;
}

template <typename Enumerate>
LSTATUS Names(DWORD maxChars, DWORD maxNames, std::vector<std::wstring>& names, Enumerate enumerate) {
  names.clear();
  std::vector<wchar_t> name(maxChars);
  for (DWORD index = 0;; ++index) {
    DWORD length = maxChars;
    LSTATUS status = enumerate(index, name.data(), &length);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    if (index == maxNames) return ERROR_FILE_TOO_LARGE;  // one more than may be taken
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

LSTATUS ReadValue(HKEY key, const wchar_t* name, RegistryValue& value, DWORD maxBytes) {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    if (size > maxBytes) return ERROR_FILE_TOO_LARGE;
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

LSTATUS MirrorValues(HKEY from, HKEY to, const CopyLimits& limits) {
  std::vector<std::wstring> wanted;
  if (LSTATUS status = ValueNames(from, wanted, limits.values); status != ERROR_SUCCESS) return status;
  for (const std::wstring& name : wanted) {
    RegistryValue value;
    LSTATUS status = ReadValue(from, name.c_str(), value, limits.valueBytes);
    if (status == ERROR_FILE_NOT_FOUND) continue;  // deleted since it was listed
    if (status == ERROR_SUCCESS) status = WriteValue(to, name.c_str(), value);
    if (status != ERROR_SUCCESS) return status;
  }
  std::vector<std::wstring> present;
  if (LSTATUS status = ValueNames(to, present); status != ERROR_SUCCESS) return status;
  const NameSet copied(wanted);
  for (const std::wstring& name : present) {
    if (copied.Contains(name)) continue;
    if (LSTATUS status = ::RegDeleteValueW(to, name.c_str()); status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

LSTATUS ValueNames(HKEY key, std::vector<std::wstring>& names, DWORD maxNames) {
  return Names(kValueNameChars, maxNames, names, [key](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

LSTATUS SubkeyNames(HKEY key, std::vector<std::wstring>& names, DWORD maxNames) {
  return Names(kKeyNameChars, maxNames, names, [key](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

NameSet::NameSet(const std::vector<std::wstring>& names) {
  folded_.reserve(names.size());
  for (const std::wstring& name : names) folded_.push_back(Folded(name));
  std::sort(folded_.begin(), folded_.end());
}

bool NameSet::Contains(const std::wstring& name) const {
  return std::binary_search(folded_.begin(), folded_.end(), Folded(name));
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace lullan::tarnel
