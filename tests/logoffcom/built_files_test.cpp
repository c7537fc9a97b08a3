// The built files themselves: quitcom's export table, the version resources
// and the embedded type libraries.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <string>
#include <vector>

#include "built_files.h"
#include "com_ptr.h"
#include "component_registration.h"
#include "handles.h"
#include "quitcom_interface.h"
#include "quitsrv.h"
#include "text_format.h"

namespace lullan::test {
namespace {

std::vector<std::string> ExportNames(HMODULE module) {
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (directory.VirtualAddress == 0) return {};
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
  auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> result;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    result.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  std::sort(result.begin(), result.end());
  return result;
}

TEST(Quitcom, ExportsExactlyTheFourPlainNames) {
  unique_library library(::LoadLibraryExW(ProductFile(L"quitcom.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
  ASSERT_TRUE(library) << "error " << ::GetLastError();
  EXPECT_EQ(ExportNames(library.get()), (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                                                  "DllRegisterServer", "DllUnregisterServer"}));
}

std::string VersionString(const std::vector<BYTE>& info, const char* name) {
  char* text = nullptr;
  UINT length = 0;
  std::string path = FormatTextA("\\StringFileInfo\\040904B0\\%s", name);
  if (!::VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) return "(missing)";
  return std::string(text);
}

TEST(BuiltFiles, EachCarriesItsVersionResource) {
  struct Expected {
    const wchar_t* file;
    const char* description;
    const char* name;
    const char* fileName;
  };
  for (const Expected& e : {Expected{L"quitcom.dll", "Logoff Component", "quitcom", "quitcom.dll"},
                            Expected{L"quitsrv.exe", "Logoff Server", "quitsrv", "quitsrv.exe"},
                            Expected{L"logoff.exe", "Logoff Tool", "logoff", "logoff.exe"}}) {
    std::string path = Narrow(ProductFile(e.file));
    SCOPED_TRACE(path);
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_NE(size, 0u) << "no version resource";
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(VersionString(info, "FileDescription"), e.description);
    EXPECT_EQ(VersionString(info, "FileVersion"), "1, 0, 0, 1");
    EXPECT_EQ(VersionString(info, "ProductVersion"), "1, 0, 0, 1");
    EXPECT_EQ(VersionString(info, "InternalName"), e.name);
    EXPECT_EQ(VersionString(info, "ProductName"), e.name);
    EXPECT_EQ(VersionString(info, "OriginalFilename"), e.fileName);
  }
}

struct LibraryExpectation {
  const wchar_t* file;
  const GUID* libid;
  const wchar_t* name;
  const wchar_t* help;
  const GUID* iid;
  const wchar_t* interfaceName;
  std::vector<std::wstring> methods;
  const GUID* clsid;
  const wchar_t* className;
};

std::wstring Name(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return L"(none)";
  std::wstring text = name ? name : L"";
  ::SysFreeString(name);
  return text;
}

// The type library each component carries as TYPELIB 1 in US English.
TEST(BuiltFiles, EachComponentCarriesItsTypeLibrary) {
  const LibraryExpectation libraries[] = {
      {L"quitcom.dll",
       &LIBID_quitcom,
       L"quitcom",
       L"FenCom logoff routines",
       &IID_ILogoff,
       L"Ilogoff",  // as the library has always recorded it
       {L"Logoff", L"Shutdown", L"Reboot"},
       &CLSID_FCLogoff,
       L"FCLogoff"},
      {L"quitsrv.exe",
       &LIBID_quitsrvlib,
       L"quitsrvlib",
       L"Lullan remote logoff calls",
       &IID_ILogoffEx,
       L"ILogoffEx",
       {L"Logoff", L"Shutdown", L"Reboot", L"IdleMins"},
       &CLSID_FCLogoffEx,
       L"FCLogoffEx"},
  };
  for (const LibraryExpectation& e : libraries) {
    std::wstring path = ProductFile(e.file);
    SCOPED_TRACE(Narrow(path));
    unique_library module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    EXPECT_NE(
        ::FindResourceExW(module.get(), L"TYPELIB", MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
        nullptr);

    com_ptr<ITypeLib> library;
    ASSERT_EQ(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, *e.libid));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0u);
    EXPECT_EQ(attributes->syskind, kTypeLibSystem);
    library->ReleaseTLibAttr(attributes);
    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), e.name);
    EXPECT_EQ(std::wstring(help ? help : L""), e.help);
    ::SysFreeString(name);
    ::SysFreeString(help);

    com_ptr<ITypeInfo> interfaceInfo;
    ASSERT_EQ(library->GetTypeInfoOfGuid(*e.iid, interfaceInfo.put()), S_OK);
    EXPECT_EQ(Name(interfaceInfo.get(), MEMBERID_NIL), e.interfaceName);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(interfaceInfo->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) << "the type-library marshaler needs it";
    EXPECT_EQ(type->cFuncs, e.methods.size());
    EXPECT_EQ(type->cImplTypes, 1) << "derives from IUnknown";
    for (WORD i = 0; i < type->cFuncs; ++i) {
      FUNCDESC* function = nullptr;
      ASSERT_EQ(interfaceInfo->GetFuncDesc(i, &function), S_OK);
      EXPECT_EQ(function->memid, static_cast<MEMBERID>(0x60010000 + i));
      EXPECT_EQ(function->callconv, CC_STDCALL);
      EXPECT_EQ(function->oVft, static_cast<SHORT>((3 + i) * sizeof(void*))) << "vtable order";
      EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
      EXPECT_EQ(Name(interfaceInfo.get(), function->memid), e.methods[i]);
      interfaceInfo->ReleaseFuncDesc(function);
    }
    interfaceInfo->ReleaseTypeAttr(type);

    com_ptr<ITypeInfo> classInfo;
    ASSERT_EQ(library->GetTypeInfoOfGuid(*e.clsid, classInfo.put()), S_OK);
    EXPECT_EQ(Name(classInfo.get(), MEMBERID_NIL), e.className);
    ASSERT_EQ(classInfo->GetTypeAttr(&type), S_OK);
    EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(type->cImplTypes, 1);
    classInfo->ReleaseTypeAttr(type);
    INT implFlags = 0;
    EXPECT_EQ(classInfo->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);
  }
}

}  // namespace
}  // namespace lullan::test
