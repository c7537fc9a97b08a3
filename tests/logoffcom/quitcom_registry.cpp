#include "quitcom_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "component_registry.h"
#include "handles.h"
#include "registry_fixture.h"

namespace lullan::test {

void ExpectQuitcomRegistered(const std::wstring& dllPath) {
  ExpectComponentKeys({.clsid = L"{41314381-45FB-11D2-9A99-000000000002}",
                       .description = L"Logoff user",
                       .progId = L"FenCom.Logoff.1",
                       .versionIndependentProgId = L"FenCom.Logoff",
                       .serverKey = L"InprocServer32",
                       .serverPath = dllPath});
  const std::wstring classKey = kFCLogoffKey;
  ExpectClassesString(classKey + L"\\InprocServer32", L"ThreadingModel", L"Free");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32"));

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
  ExpectClassesString(typeLib + L"\\1.0", nullptr, L"FenCom logoff routines");
  const wchar_t* system = sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32";
  EXPECT_EQ(ComparablePath(ReadString(HKEY_CLASSES_ROOT, typeLib + system, nullptr).value_or(L"(missing)")),
            ComparablePath(dllPath));
  ExpectClassesString(L"Interface\\{41314381-45FB-11D2-9A99-000000000001}\\TypeLib", nullptr,
                      L"{41314382-45FB-11D2-9A99-000000000001}");
}

void RemoveQuitcomRegistration() {
  for (const wchar_t* tree : {kFCLogoffKey, L"FenCom.Logoff", L"FenCom.Logoff.1", kFCLogoffAppIdKey, kQuitcomTypeLibKey,
                              L"Interface\\{41314381-45FB-11D2-9A99-000000000001}"})
    DeleteTree(HKEY_CLASSES_ROOT, tree);
}

}  // namespace lullan::test
