#include "quitcom_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "handles.h"
#include "registry_fixture.h"

namespace lullan::test {

namespace {

// Paths compare without regard to case, and without the "\\?\" prefix Wine's
// type-library registration puts in front of a path.
std::wstring Lower(std::wstring text) {
  if (text.rfind(L"\\\\?\\", 0) == 0) text.erase(0, 4);
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
  return text;
}

void ExpectString(const std::wstring& path, const wchar_t* name, const std::wstring& expected) {
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, path, name).value_or(L"(missing)"), expected)
      << "HKCR\\" << path << " " << (name ? name : L"(default)");
}

}  // namespace

void ExpectQuitcomRegistered(const std::wstring& dllPath) {
  const std::wstring clsid = L"{41314381-45FB-11D2-9A99-000000000002}";
  const std::wstring classKey = kFCLogoffKey;
  ExpectString(classKey, nullptr, L"Logoff user");
  ExpectString(classKey, L"AppID", clsid);
  EXPECT_EQ(Lower(ReadString(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr).value_or(L"(missing)")),
            Lower(dllPath));
  ExpectString(classKey + L"\\InprocServer32", L"ThreadingModel", L"Free");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32"));
  ExpectString(classKey + L"\\ProgID", nullptr, L"FenCom.Logoff.1");
  ExpectString(classKey + L"\\VersionIndependentProgID", nullptr, L"FenCom.Logoff");
  ExpectString(L"FenCom.Logoff", nullptr, L"Logoff user");
  ExpectString(L"FenCom.Logoff\\CLSID", nullptr, clsid);
  ExpectString(L"FenCom.Logoff\\CurVer", nullptr, L"FenCom.Logoff.1");
  ExpectString(L"FenCom.Logoff.1", nullptr, L"Logoff user");
  ExpectString(L"FenCom.Logoff.1\\CLSID", nullptr, clsid);
  ExpectString(kFCLogoffAppIdKey, nullptr, L"Logoff user");
  ExpectString(kFCLogoffAppIdKey, L"RunAs", L"Interactive User");

  // The empty surrogate name is stored as one byte, its terminator.
  unique_hkey appId;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CLASSES_ROOT, kFCLogoffAppIdKey, 0, KEY_QUERY_VALUE, appId.put()), ERROR_SUCCESS);
  char surrogate[8] = "x";
  DWORD type = 0;
  DWORD size = sizeof surrogate;
  ASSERT_EQ(::RegQueryValueExA(appId.get(), "DllSurrogate", nullptr, &type, reinterpret_cast<BYTE*>(surrogate), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 1u);
  EXPECT_STREQ(surrogate, "");

  const std::wstring typeLib = kQuitcomTypeLibKey;
  ExpectString(typeLib + L"\\1.0", nullptr, L"FenCom logoff routines");
  const wchar_t* system = sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32";
  EXPECT_EQ(Lower(ReadString(HKEY_CLASSES_ROOT, typeLib + system, nullptr).value_or(L"(missing)")), Lower(dllPath));
  ExpectString(L"Interface\\{41314381-45FB-11D2-9A99-000000000001}\\TypeLib", nullptr,
               L"{41314382-45FB-11D2-9A99-000000000001}");
}

void RemoveQuitcomRegistration() {
  for (const wchar_t* tree : {kFCLogoffKey, L"FenCom.Logoff", L"FenCom.Logoff.1", kFCLogoffAppIdKey, kQuitcomTypeLibKey,
                              L"Interface\\{41314381-45FB-11D2-9A99-000000000001}"})
    DeleteTree(HKEY_CLASSES_ROOT, tree);
}

}  // namespace lullan::test
