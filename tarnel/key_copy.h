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

// The most a copy takes from its source key. Beyond either limit the copy
// ends with ERROR_FILE_TOO_LARGE, without reading (or making room for) what
// lies beyond: a key another machine fills decides nothing about this one's
// memory or registry.
struct CopyLimits {
  DWORD values = MAXDWORD;      // names in the key
  DWORD valueBytes = MAXDWORD;  // bytes in one value
};

// Reads the value `name` whole, whatever its size up to `maxBytes`; the
// registry's error, ERROR_FILE_TOO_LARGE beyond `maxBytes`, or ERROR_SUCCESS.
LSTATUS ReadValue(HKEY key, const wchar_t* name, RegistryValue& value, DWORD maxBytes = MAXDWORD);
// Writes it with its type and data. An empty text is written as one null
// character, as the suite stores every text.
LSTATUS WriteValue(HKEY key, const wchar_t* name, const RegistryValue& value);

// Makes the values of `to` those of `from`: every value of `from` is written
// to `to`, and every other value of `to` is deleted. Subkeys are left alone.
// `from` needs KEY_QUERY_VALUE, `to` KEY_QUERY_VALUE and KEY_SET_VALUE. The
// first error met, or ERROR_SUCCESS.
LSTATUS MirrorValues(HKEY from, HKEY to, const CopyLimits& limits = {});

// The names of a key's values, or of its subkeys, in index order; at most
// `maxNames` of them (ERROR_FILE_TOO_LARGE when the key has more).
LSTATUS ValueNames(HKEY key, std::vector<std::wstring>& names, DWORD maxNames = MAXDWORD);
LSTATUS SubkeyNames(HKEY key, std::vector<std::wstring>& names, DWORD maxNames = MAXDWORD);

// Whether two value or key names are one to the registry (it ignores case).
bool SameName(const std::wstring& a, const std::wstring& b);

// Names as the registry tells them apart, for asking of many names whether
// a key has them (a key may hold thousands: one look each, not a pass).
class NameSet {
 public:
  explicit NameSet(const std::vector<std::wstring>& names);
  bool Contains(const std::wstring& name) const;

 private:
  std::vector<std::wstring> folded_;  // in capitals, sorted
};

}  // namespace lullan::tarnel
