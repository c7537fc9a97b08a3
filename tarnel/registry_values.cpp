#include "registry_values.h"

#include <vector>

namespace lullan::tarnel {

namespace {

// The console's longest field holds 63 characters: a longer text is cut, but
// one of more than this many bytes is not read at all, rather than have the
// console allocate whatever another computer's registry claims.
constexpr DWORD kLongestTextBytes = 8192;
constexpr DWORD kFirstTextChars = 128;

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
  // Most texts fit the first buffer: one call to the registry (another
  // computer's, over the network) instead of two.
  std::vector<wchar_t> text(kFirstTextChars + 1, L'\0');
  DWORD type = REG_NONE;
  DWORD size = kFirstTextChars * sizeof(wchar_t);
  LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  if (status == ERROR_MORE_DATA && IsText(type) && size <= kLongestTextBytes) {
    // One spare character, so that a text stored without its terminator ends in one.
    text.assign(size / sizeof(wchar_t) + 1, L'\0');
    status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  }
  if (status != ERROR_SUCCESS || !IsText(type)) return std::nullopt;
  text[size / sizeof(wchar_t)] = L'\0';  // an odd last byte is no character
  return std::wstring(text.data());      // up to the first null
}

}  // namespace lullan::tarnel
