// Registry values copied whole, between any two open keys: a workstation's
// version key and the console's local copy of it, in either direction.
// Values of any size are read whole (a long ExcludeFiles is as much the
// configuration as a flag), and a copy of a key's values is exact: what the
// source lacks is removed from the destination.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lullan::tarnel {

struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;

  // A text value's characters, up to its first null; empty for any other type.
  std::wstring Text() const;
};

// Reads the value `name` whole, whatever its size; the registry's error, or
// ERROR_SUCCESS.
LSTATUS ReadValue(HKEY key, const wchar_t* name, RegistryValue& value);
// Writes it with its type and data. An empty text is written as one null
// character, as the suite stores every text.
LSTATUS WriteValue(HKEY key, const wchar_t* name, const RegistryValue& value);

// Makes the values of `to` those of `from`: every value of `from` is written
// to `to`, and every other value of `to` is deleted. Subkeys are left alone.
// `from` needs KEY_QUERY_VALUE, `to` KEY_QUERY_VALUE and KEY_SET_VALUE. The
// first error met, or ERROR_SUCCESS.
LSTATUS MirrorValues(HKEY from, HKEY to);

// The names of a key's values, or of its subkeys, in index order.
LSTATUS ValueNames(HKEY key, std::vector<std::wstring>& names);
LSTATUS SubkeyNames(HKEY key, std::vector<std::wstring>& names);

// Whether two value or key names are one to the registry (it ignores case).
bool SameName(const std::wstring& a, const std::wstring& b);

}  // namespace lullan::tarnel
