// The keys both logoff components write when they register: the class, its
// two ProgIDs and its AppID, in HKEY_CLASSES_ROOT.
#pragma once

#include <string>

namespace lullan::test {

struct ComponentKeys {
  std::wstring clsid;        // "{…}"
  std::wstring description;  // every key's default value
  std::wstring progId;       // versioned, "….1"
  std::wstring versionIndependentProgId;
  std::wstring serverKey;   // "InprocServer32" or "LocalServer32"
  std::wstring serverPath;  // the registered binary
};

// Paths compare without regard to case, and without the "\\?\" prefix Wine's
// type-library registration puts in front of a path.
std::wstring ComparablePath(std::wstring path);

// Expects the text value `name` (null: the default value) under HKCR\path.
void ExpectClassesString(const std::wstring& path, const wchar_t* name, const std::wstring& expected);

// Checks the class key with its server, the ProgIDs pointing at each other and
// at the class, and the AppID that runs as the interactive user.
void ExpectComponentKeys(const ComponentKeys& keys);

}  // namespace lullan::test
