// quitsrv.exe started with its switches, as the setup program starts it; the
// registry is read afterwards. The test build (the product's code around a
// recording system exit) is the one registered: a shipped server registered
// while another test calls FCLogoffEx would end the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "built_files.h"
#include "quitsrv_registry.h"
#include "registry_fixture.h"
#include "security_text.h"
#include "text_format.h"
#include "window_driver.h"

namespace lullan::test {
namespace {

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
  return text;
}

class QuitsrvRegistrationTest : public testing::Test {
 protected:
  void SetUp() override { RemoveQuitsrvRegistration(); }
  void TearDown() override { RemoveQuitsrvRegistration(); }

  static ChildRun Quitsrv(const std::wstring& arguments) {
    return RunAndAnswer(RecordingFile(L"quitsrv.exe"), arguments);
  }
  static void ExpectQuietExit(const ChildRun& run, DWORD exitCode = 0) {
    EXPECT_TRUE(run.finished && run.exitCode == exitCode && run.dialogs.empty())
        << "expected exit code " << static_cast<int>(exitCode) << " and no box, got " << Narrow(run.Describe());
  }
  static void ExpectString(const std::wstring& path, const wchar_t* name, const std::wstring& expected) {
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, path, name).value_or(L"(missing)"), expected)
        << "HKCR\\" << path << " " << (name ? name : L"(default)");
  }
  static std::vector<std::string> FourAces() {
    return {"allow 0x1 " + CurrentUserSidText(), "allow 0x1 " + AccountSidText("SYSTEM"),
            "allow 0x1 " + AccountSidText("INTERACTIVE"), "allow 0x1 " + AccountSidText("Everyone")};
  }
};

TEST_F(QuitsrvRegistrationTest, RegServerWritesTheClassAndAnAppIdOpenToEveryone) {
  ExpectQuietExit(Quitsrv(L"-RegServer"));

  const std::wstring clsid = L"{41314381-45FB-11D2-9A99-000000000012}";
  const std::wstring classKey = kFCLogoffExKey;
  ExpectString(classKey, nullptr, L"Logoff user (opc)");
  ExpectString(classKey, L"AppID", clsid);
  EXPECT_EQ(Lower(ReadString(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", nullptr).value_or(L"(missing)")),
            Lower(RecordingFile(L"quitsrv.exe")));
  EXPECT_FALSE(QueryValueInfo(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", L"ThreadingModel"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32"));
  ExpectString(classKey + L"\\ProgID", nullptr, L"FenComOpc.Logoff.1");
  ExpectString(classKey + L"\\VersionIndependentProgID", nullptr, L"FenComOpc.Logoff");
  ExpectString(L"FenComOpc.Logoff", nullptr, L"Logoff user (opc)");
  ExpectString(L"FenComOpc.Logoff\\CLSID", nullptr, clsid);
  ExpectString(L"FenComOpc.Logoff\\CurVer", nullptr, L"FenComOpc.Logoff.1");
  ExpectString(L"FenComOpc.Logoff.1", nullptr, L"Logoff user (opc)");
  ExpectString(L"FenComOpc.Logoff.1\\CLSID", nullptr, clsid);
  ExpectString(kFCLogoffExAppIdKey, nullptr, L"Logoff user (opc)");
  ExpectString(kFCLogoffExAppIdKey, L"RunAs", L"Interactive User");
  EXPECT_FALSE(QueryValueInfo(HKEY_CLASSES_ROOT, kFCLogoffExAppIdKey, L"DllSurrogate")) << "a program needs none";
  ExpectString(std::wstring(kQuitsrvTypeLibKey) + L"\\1.0", nullptr, L"Lullan remote logoff calls");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kILogoffExKey) + L"\\ProxyStubClsid32"))
      << "the interface is registered for the type-library marshaler";

  for (const char* value : {"AccessPermission", "LaunchPermission"}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(
        QueryValueInfo(HKEY_CLASSES_ROOT, kFCLogoffExAppIdKey, Widen(value).c_str()).value_or(ValueInfo{0, 0}).type,
        static_cast<DWORD>(REG_BINARY));
    DescriptorText sd = DescribeSelfRelative(ReadClassesBinary(kFCLogoffExAppIdKeyA, value));
    ASSERT_TRUE(sd.valid);
    EXPECT_EQ(sd.revision, 1);
    EXPECT_EQ(sd.owner, CurrentUserSidText()) << "the registering account";
    EXPECT_EQ(sd.group, CurrentUserSidText());
    EXPECT_EQ(sd.aclRevision, ACL_REVISION);
    EXPECT_EQ(sd.aces, FourAces());
  }
}

TEST_F(QuitsrvRegistrationTest, RegisteringAgainKeepsFourAcesAndReplacesADenyAce) {
  ExpectQuietExit(Quitsrv(L"-RegServer"));
  ExpectQuietExit(Quitsrv(L"/regserver"));
  EXPECT_EQ(DescribeSelfRelative(ReadClassesBinary(kFCLogoffExAppIdKeyA, "AccessPermission")).aces, FourAces());

  std::vector<BYTE> denied =
      BuildDescriptor({{ACCESS_DENIED_ACE_TYPE, "Everyone"}, {ACCESS_ALLOWED_ACE_TYPE, "SYSTEM"}});
  WriteRaw(HKEY_CLASSES_ROOT, kFCLogoffExAppIdKey, L"AccessPermission", REG_BINARY, denied.data(),
           static_cast<DWORD>(denied.size()));
  ExpectQuietExit(Quitsrv(L"RegServer"));
  EXPECT_EQ(
      DescribeSelfRelative(ReadClassesBinary(kFCLogoffExAppIdKeyA, "AccessPermission")).aces,
      (std::vector<std::string>{"allow 0x1 " + AccountSidText("SYSTEM"), "allow 0x1 " + AccountSidText("Everyone")}));
  EXPECT_EQ(DescribeSelfRelative(ReadClassesBinary(kFCLogoffExAppIdKeyA, "LaunchPermission")).aces, FourAces());
}

TEST_F(QuitsrvRegistrationTest, ACorruptedSecurityValueIsReplaced) {
  const BYTE garbage[] = {1, 0, 4, 0x80, 0xFF, 0xFF, 0xFF, 0x7F};
  WriteRaw(HKEY_CLASSES_ROOT, kFCLogoffExAppIdKey, L"AccessPermission", REG_BINARY, garbage, sizeof garbage);
  ExpectQuietExit(Quitsrv(L"-RegServer"));
  EXPECT_EQ(DescribeSelfRelative(ReadClassesBinary(kFCLogoffExAppIdKeyA, "AccessPermission")).aces, FourAces());
}

TEST_F(QuitsrvRegistrationTest, UnregServerRemovesTheClassProgIdsAndAppId) {
  ExpectQuietExit(Quitsrv(L"-RegServer"));
  WriteString(HKEY_CLASSES_ROOT, L"FenComOpc.Logoff\\shell\\open", nullptr, L"someone else's");
  ExpectQuietExit(Quitsrv(L"-UnregServer"));
  for (const wchar_t* tree :
       {kFCLogoffExKey, L"FenComOpc.Logoff", L"FenComOpc.Logoff.1", kFCLogoffExAppIdKey, kQuitsrvTypeLibKey})
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, tree)) << "HKCR\\" << tree;

  // With the type library gone the next unregistration stops there and says why.
  WriteString(HKEY_CLASSES_ROOT, kFCLogoffExKey, nullptr, L"kept");
  ChildRun second = Quitsrv(L"/UNREGSERVER");
  ASSERT_TRUE(second.finished);
  EXPECT_TRUE(FAILED(static_cast<HRESULT>(second.exitCode))) << "exit code 0x" << std::hex << second.exitCode;
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kFCLogoffExKey, nullptr).value_or(L"(missing)"), L"kept");
}

TEST_F(QuitsrvRegistrationTest, StartedByHandItWarnsAndDoesNothingElse) {
  ChildRun run = RunAndAnswer(ProductFile(L"quitsrv.exe"), L"");  // the shipped program: it registers nothing here
  ASSERT_TRUE(run.finished) << Narrow(run.Describe());
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(run.dialogs.size(), 1u) << Narrow(run.Describe());
  EXPECT_EQ(run.dialogs[0].caption, L"Error");
  EXPECT_EQ(run.dialogs[0].Text(), L"This component cannot be run interactively!");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFCLogoffExKey));
}

TEST_F(QuitsrvRegistrationTest, UnknownTrailingBlankAndOverLongArgumentsDoNothing) {
  for (const std::wstring& arguments :
       {std::wstring(L"-Automation"), std::wstring(L"-RegServer "), L"-RegServer" + std::wstring(30000, L'x')}) {
    SCOPED_TRACE(Narrow(arguments.substr(0, 40)));
    ExpectQuietExit(Quitsrv(arguments));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFCLogoffExKey));
  }
}

}  // namespace
}  // namespace lullan::test
