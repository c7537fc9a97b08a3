#include "component_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "registry_fixture.h"

namespace lullan::test {

std::wstring ComparablePath(std::wstring path) {
  if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
  std::transform(path.begin(), path.end(), path.begin(), [](wchar_t c) { return std::towlower(c); });
  return path;
}

void ExpectClassesString(const std::wstring& path, const wchar_t* name, const std::wstring& expected) {
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, path, name).value_or(L"(missing)"), expected)
      << "HKCR\\" << path << " " << (name ? name : L"(default)");
}

void ExpectComponentKeys(const ComponentKeys& keys) {
  const std::wstring classKey = L"CLSID\\" + keys.clsid;
  const std::wstring appIdKey = L"AppID\\" + keys.clsid;
  ExpectClassesString(classKey, nullptr, keys.description);
  ExpectClassesString(classKey, L"AppID", keys.clsid);
  EXPECT_EQ(
      ComparablePath(ReadString(HKEY_CLASSES_ROOT, classKey + L"\\" + keys.serverKey, nullptr).value_or(L"(missing)")),
      ComparablePath(keys.serverPath));
  ExpectClassesString(classKey + L"\\ProgID", nullptr, keys.progId);
  ExpectClassesString(classKey + L"\\VersionIndependentProgID", nullptr, keys.versionIndependentProgId);
  ExpectClassesString(keys.versionIndependentProgId, nullptr, keys.description);
  ExpectClassesString(keys.versionIndependentProgId + L"\\CLSID", nullptr, keys.clsid);
  ExpectClassesString(keys.versionIndependentProgId + L"\\CurVer", nullptr, keys.progId);
  ExpectClassesString(keys.progId, nullptr, keys.description);
  ExpectClassesString(keys.progId + L"\\CLSID", nullptr, keys.clsid);
  ExpectClassesString(appIdKey, nullptr, keys.description);
  ExpectClassesString(appIdKey, L"RunAs", L"Interactive User");
}

}  // namespace lullan::test
