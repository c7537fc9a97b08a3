#include "registry_values.h"

#include <vector>

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

bool ReadStringValue(HKEY key, const wchar_t* name, wchar_t* buffer, size_t capacity) {
  if (capacity == 0) return false;
  // The room the setting has, terminator included; a longer text is refused.
  std::vector<wchar_t> data(capacity + 1, L'\0');
  DWORD type = REG_NONE;
  DWORD size = static_cast<DWORD>(capacity * sizeof(wchar_t));
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
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

}  // namespace lullan::profmon
