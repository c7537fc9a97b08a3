// Reading one registry value as the type the reader expects, whoever wrote
// it: a value set by hand, copied from another computer or left by an older
// version. A number is exactly four bytes; a text is a REG_SZ or REG_EXPAND_SZ
// read up to its first null character, or to the end of its data when it was
// stored without one. Anything else reads as absent (nullopt), and nothing
// overruns or allocates what the value claims beyond the reader's bound.
//
//   if (std::optional<DWORD> debug = registry::TryGetDword(key, L"Debug")) ...
//   std::optional<std::wstring> dir = registry::TryGetExpandedText(key, L"LogDir", 259);
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lullan::registry {

// The stored type and data of a value of exactly four bytes, whatever its
// type: some readers take a number from any type (the configuration's
// "anyType" values).
struct TypedDword {
  DWORD type;
  DWORD data;
};
std::optional<TypedDword> TryGetTypedDword(HKEY key, const wchar_t* name);

// A REG_DWORD of exactly four bytes.
std::optional<DWORD> TryGetDword(HKEY key, const wchar_t* name);

// A text whose data takes at most `maxStoredChars` characters (terminator
// included, when it has one); a longer value is refused rather than cut, so
// that a reader never takes a part of a path for the whole. `type`, when
// given, receives REG_SZ or REG_EXPAND_SZ.
std::optional<std::wstring> TryGetText(HKEY key, const wchar_t* name, size_t maxStoredChars, DWORD* type = nullptr);

// A text as above; one stored as REG_EXPAND_SZ comes back with its environment
// variables expanded ("%SystemRoot%\Logs"), and must still fit in
// `maxStoredChars` characters then.
std::optional<std::wstring> TryGetExpandedText(HKEY key, const wchar_t* name, size_t maxStoredChars);

}  // namespace lullan::registry
