#include "registry_value.h"

#include <vector>

namespace lullan::registry {

namespace {
bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }
}  // namespace

std::optional<TypedDword> TryGetTypedDword(HKEY key, const wchar_t* name) {
  TypedDword stored{REG_NONE, 0};
  DWORD size = sizeof stored.data;
  // A longer value fails with ERROR_MORE_DATA; a shorter one would leave bytes unset.
  if (::RegQueryValueExW(key, name, nullptr, &stored.type, reinterpret_cast<BYTE*>(&stored.data), &size) !=
          ERROR_SUCCESS ||
      size != sizeof stored.data)
    return std::nullopt;
  return stored;
}

std::optional<DWORD> TryGetDword(HKEY key, const wchar_t* name) {
  std::optional<TypedDword> stored = TryGetTypedDword(key, name);
  if (!stored || stored->type != REG_DWORD) return std::nullopt;
  return stored->data;
}

std::optional<std::wstring> TryGetText(HKEY key, const wchar_t* name, size_t maxStoredChars, DWORD* type) {
  if (maxStoredChars == 0 || maxStoredChars > MAXDWORD / sizeof(wchar_t) - 1) return std::nullopt;
  // One spare character, so that data without a terminator still ends in one.
  std::vector<wchar_t> data(maxStoredChars + 1, L'\0');
  DWORD stored = REG_NONE;
  DWORD size = static_cast<DWORD>(maxStoredChars * sizeof(wchar_t));
  if (::RegQueryValueExW(key, name, nullptr, &stored, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS ||
      !IsText(stored))
    return std::nullopt;
  if (type) *type = stored;
  data[size / sizeof(wchar_t)] = L'\0';  // an odd last byte is no character
  return std::wstring(data.data());      // up to the first null
}

std::optional<std::wstring> TryGetExpandedText(HKEY key, const wchar_t* name, size_t maxStoredChars) {
  DWORD type = REG_NONE;
  std::optional<std::wstring> text = TryGetText(key, name, maxStoredChars, &type);
  if (!text || type != REG_EXPAND_SZ) return text;
  std::vector<wchar_t> expanded(maxStoredChars, L'\0');
  DWORD length = ::ExpandEnvironmentStringsW(text->c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
  if (length == 0 || length > expanded.size()) return std::nullopt;
  return std::wstring(expanded.data());
}

}  // namespace lullan::registry
