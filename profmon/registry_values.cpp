#include "registry_values.h"

#include <vector>

#include "text_format.h"

namespace lullan::profmon {

bool ReadDwordValue(HKEY key, const wchar_t* name, DWORD* value) {
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_DWORD || size != sizeof data) return false;
  *value = data;
  return true;
}

bool ReadStringValue(HKEY key, const wchar_t* name, wchar_t* buffer, size_t capacity, DWORD* type) {
  if (capacity == 0) return false;
  // The room the setting has, terminator included; a longer text is refused.
  std::vector<wchar_t> data(capacity + 1, L'\0');
  DWORD stored = REG_NONE;
  DWORD size = static_cast<DWORD>(capacity * sizeof(wchar_t));
  if (::RegQueryValueExW(key, name, nullptr, &stored, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return false;
  if (stored != REG_SZ && stored != REG_EXPAND_SZ) return false;
  if (type) *type = stored;
  // A text stored without its terminator ends where its data ends.
  size_t length = size / sizeof(wchar_t);
  if (length >= capacity) length = capacity - 1;
  data[length] = L'\0';
  for (size_t i = 0; i <= length; ++i) {
    buffer[i] = data[i];
    if (data[i] == L'\0') break;
  }
  return true;
}

bool ReadPathValue(HKEY key, const wchar_t* name, wchar_t* buffer, size_t capacity) {
  std::vector<wchar_t> text(capacity, L'\0');
  DWORD type = REG_NONE;
  if (!ReadStringValue(key, name, text.data(), capacity, &type)) return false;
  if (type == REG_EXPAND_SZ) {
    std::vector<wchar_t> expanded(capacity, L'\0');
    DWORD length = ::ExpandEnvironmentStringsW(text.data(), expanded.data(), static_cast<DWORD>(capacity));
    if (length == 0 || length > capacity) return false;
    text.swap(expanded);
  }
  return CopyText(buffer, capacity, text.data());
}

}  // namespace lullan::profmon
