#include "registry_values.h"

#include <vector>

namespace lullan::tarnel {

namespace {

// The console's longest field holds 63 characters: a longer text is cut, but
// one of more than this many bytes is not read at all, rather than have the
// console allocate whatever another computer's registry claims.
constexpr DWORD kLongestTextBytes = 8192;

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return value;
}

std::optional<std::wstring> ReadText(HKEY key, const wchar_t* name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || !IsText(type) ||
      size > kLongestTextBytes)
    return std::nullopt;
  // One spare character, so that a text stored without its terminator ends in one.
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = size;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &read) != ERROR_SUCCESS ||
      !IsText(type))
    return std::nullopt;
  text[read / sizeof(wchar_t)] = L'\0';  // an odd last byte is no character
  return std::wstring(text.data());      // up to the first null
}

}  // namespace lullan::tarnel
