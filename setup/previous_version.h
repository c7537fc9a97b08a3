// An earlier version's configuration: found beside this version's key below
// the product key, and carried over value by value when the administrator
// wants the old settings.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::setup {

class CSetupApp;

struct PreviousVersion {
  int count = 0;      // version subkeys other than this version's
  std::wstring name;  // the last of them in enumeration order
};

// The version subkeys of the product key other than this version's. Failures
// are reported ("Insufficient memory", "Error: RegEnumKeyEx").
PreviousVersion FindPreviousVersion(const CSetupApp& app, HWND owner);

// Copies every value of `source` to `target` (both under HKEY_LOCAL_MACHINE)
// with its name, type and data, whatever their size; `target` is created
// when it does not exist yet. False when either key could not be opened.
bool CopyKeyValues(const std::wstring& source, const std::wstring& target);

}  // namespace lullan::setup
