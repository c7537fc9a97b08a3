// quitsrv.exe started with its switches, as the setup program starts it; the
// registry is read afterwards. The test build (the product's code around a
// recording system exit) is the one registered: a shipped server registered
// while another test calls FCLogoffEx would end the session.
#include <gtest/gtest.h>

#include "built_files.h"
#include "component_registry.h"
#include "quitsrv_registry.h"
#include "registry_fixture.h"
#include "security_text.h"
#include "text_format.h"
#include "window_driver.h"

namespace lullan::test {
namespace {

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
  static std::vector<std::string> FourAces() {
    return {"allow 0x1 " + CurrentUserSidText(), "allow 0x1 " + AccountSidText("SYSTEM"),
            "allow 0x1 " + AccountSidText("INTERACTIVE"), "allow 0x1 " + AccountSidText("Everyone")};
  }
};

TEST_F(QuitsrvRegistrationTest, RegServerWritesTheClassAndAnAppIdOpenToEveryone) {
  ExpectQuietExit(Quitsrv(L"-RegServer"));

  ExpectComponentKeys({.clsid = L"{41314381-45FB-11D2-9A99-000000000012}",
                       .description = L"Logoff user (opc)",
                       .progId = L"FenComOpc.Logoff.1",
                       .versionIndependentProgId = L"FenComOpc.Logoff",
                       .serverKey = L"LocalServer32",
                       .serverPath = RecordingFile(L"quitsrv.exe")});
  const std::wstring classKey = kFCLogoffExKey;
  EXPECT_FALSE(QueryValueInfo(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", L"ThreadingModel"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32"));
  EXPECT_FALSE(QueryValueInfo(HKEY_CLASSES_ROOT, kFCLogoffExAppIdKey, L"DllSurrogate")) << "a program needs none";
  ExpectClassesString(std::wstring(kQuitsrvTypeLibKey) + L"\\1.0", nullptr, L"Lullan remote logoff calls");
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
