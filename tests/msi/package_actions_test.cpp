// The package's custom actions without Windows Installer: what they refuse,
// and what they leave in the registry, the file system and the service
// control manager of the test prefix, under names of the test's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configuration_root.h"
#include "handles.h"
#include "folder_files_security.h"
#include "install_session.h"
#include "monitor_service.h"
#include "package_checks.h"
#include "registry_fixture.h"
#include "security_sddl.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using namespace lullan::msi;

// The product's key list: Everyone reads; Administrators, LocalSystem and CREATOR OWNER do anything.
constexpr wchar_t kProductKeySddl[] = L"D:(A;;KR;;;WD)(A;;KA;;;BA)(A;;KA;;;SY)(A;;KA;;;CO)";

TEST(PackageChecksTest, RefusesAssignmentsAndAccountsThatCannotWork) {
  struct Case {
    const wchar_t* profile;
    const wchar_t* pls;
    const wchar_t* refusal;  // empty: accepted
  };
  const Case cases[] = {
      {L"", L"", L""},
      {L"stdLogoff", L"PSERVER", L""},
      {L"stdLogoff", L"\\\\PSERVER", L""},  // the backslashes an administrator types go
      {L"stdLogoff", L"", L"No server specified. Can't assign a profile without a server."},
      {L"stdLogoff", L"\\\\", L"No server specified. Can't assign a profile without a server."},
      {L"", L"PSERVER", L"PLS names a profile server, but PROFILE names no profile to assign."},
      {L"std\\Groups", L"PSERVER",
       L"\"std\\Groups\" can't be a shared profile's name: at most 63 characters, and no backslash."},
      {L"line\nbreak", L"PSERVER",
       L"\"line\nbreak\" can't be a shared profile's name: at most 63 characters, and no backslash."},
      {L"PSERVER-IS-FAR-TOO-LONG", L"PSERVER-IS-FAR-TOO-LONG",
       L"\"PSERVER-IS-FAR-TOO-LONG\" can't be a profile server's computer name."},
      {L"stdLogoff", L"PSERVER\\share", L"\"PSERVER\\share\" can't be a profile server's computer name."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AssignmentError(c.profile, ServerName(c.pls)), c.refusal)
        << "PROFILE=" << Narrow(c.profile) << " PLS=" << Narrow(c.pls);
  }
  const std::wstring longProfile(64, L'p');
  EXPECT_NE(AssignmentError(longProfile, L"PSERVER"), L"") << "64 characters";
  EXPECT_EQ(AssignmentError(longProfile.substr(1), L"PSERVER"), L"") << "63 characters";

  EXPECT_EQ(MonitorAccountError(L"", L""), L"");
  EXPECT_EQ(MonitorAccountError(L"FENNICK\\svc-lullan", L"s3cret"), L"");
  EXPECT_EQ(MonitorAccountError(L"FENNICK\\svc-lullan", L""), L"") << "an account may have an empty password";
  EXPECT_EQ(MonitorAccountError(L"", L"s3cret"), L"MONITORPASSWORD was given without MONITORACCOUNT.");
  EXPECT_NE(MonitorAccountError(std::wstring(64, L'a'), L"x"), L"");
}

TEST(PackageChecksTest, TheDeferredDataKeepsAPasswordWithLineBreaksWhole) {
  const std::vector<std::wstring> fields = {L"C:\\Program Files\\Lullan", L"FENNICK\\svc", L"pa\nss\nword"};
  EXPECT_EQ(SplitFields(JoinFields(fields), 3), fields);
  EXPECT_EQ(SplitFields(L"C:\\Lullan", 3), std::vector<std::wstring>{L"C:\\Lullan"}) << "missing fields stay missing";
}

class ConfigurationRootTest : public ::testing::Test {
 protected:
  ~ConfigurationRootTest() override { DeleteTree(HKEY_LOCAL_MACHINE, product_); }
  const std::wstring product_ = L"SOFTWARE\\LullanTests\\PackageProduct";
  const std::wstring version_ = product_ + L"\\1.11";
};

TEST_F(ConfigurationRootTest, AWorkstationGetsItsSecuredRootAndKeepsWhatItHad) {
  WriteDword(HKEY_LOCAL_MACHINE, version_, L"IdleMinutes", 45);  // an earlier configuration

  ASSERT_EQ(WriteConfigurationRoot({.versionKey = version_, .installDir = L"C:\\Program Files\\Lullan"}), L"");

  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, version_, L"InstallDir"), L"C:\\Program Files\\Lullan");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, version_, L"IdleMinutes"), 45u);
  EXPECT_EQ(KeySddl(HKEY_LOCAL_MACHINE, version_), kProductKeySddl);
  EXPECT_EQ(KeySddl(HKEY_LOCAL_MACHINE, version_ + L"\\Groups"), kProductKeySddl);
  EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, version_, L"Profile")) << "no PROFILE, no assignment";
  EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, version_, L"PLS"));

  EXPECT_EQ(RemoveConfigurationRoot(version_), DWORD{ERROR_SUCCESS});
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, version_));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, product_)) << "the product key stays";
  EXPECT_EQ(RemoveConfigurationRoot(version_), DWORD{ERROR_SUCCESS}) << "gone already is no failure";
}

// Wine keeps of a list only what Unix permissions can hold, so what can be
// read back is whether the world may still change the folder and its files.
TEST(InstallFolderAccessTest, AFolderAnybodyCouldChangeAndTheFilesInItAreLockedDown) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = FormatText(L"%sLullanPackageFolder%lu", temp, ::GetCurrentProcessId());
  const std::wstring file = folder + L"\\profmon.exe";
  const std::wstring everyoneMayChange = L"O:BAD:(A;OICI;FA;;;WD)";
  ::DeleteFileW(file.c_str());  // what a run that failed left
  ::RemoveDirectoryW(folder.c_str());
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
  unique_file created(
      ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  created.reset();
  ASSERT_EQ(ApplyFileSecurity(folder, everyoneMayChange), DWORD{ERROR_SUCCESS});
  ASSERT_EQ(ApplyFileSecurity(file, everyoneMayChange), DWORD{ERROR_SUCCESS});
  ASSERT_TRUE(WorldMayWrite(folder) && WorldMayWrite(file)) << Narrow(FileSddl(file));

  EXPECT_EQ(ApplyFileSecurity(folder, InstallFolderSddl()), DWORD{ERROR_SUCCESS});
  std::wstring failed;
  EXPECT_EQ(SecureFolderFiles(folder, &failed), DWORD{ERROR_SUCCESS}) << Narrow(failed);
  EXPECT_FALSE(WorldMayWrite(folder)) << Narrow(FileSddl(folder));
  EXPECT_FALSE(WorldMayWrite(file)) << Narrow(FileSddl(file));

  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(folder.c_str());
  EXPECT_NE(SecureFolderFiles(folder, &failed), DWORD{ERROR_SUCCESS}) << "the folder is gone";
}

// What the package session does not meet: a monitor service that is there
// already (a repair, or an upgrade naming another account), and one gone.
TEST(PackageServicesTest, TheMonitorServiceIsRemadeWithTheAccountGivenAndRemovedOnce) {
  const wchar_t* name = L"LullanTestPackageMonitor";
  const std::wstring key = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + name;
  MonitorService monitor{name,      L"Lullan Configuration Monitor", L"C:\\Program Files\\Lullan\\profmon.exe",
                         L"Lullan", L"FENNICK\\svc-lullan",          L"s3cret"};
  ASSERT_EQ(InstallMonitorService(monitor), L"");
  monitor.account = L"FENNICK\\svc-other";
  EXPECT_EQ(InstallMonitorService(monitor), L"");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"ObjectName"), L"FENNICK\\svc-other");

  EXPECT_EQ(RemoveService(name), DWORD{ERROR_SUCCESS});
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
  EXPECT_EQ(RemoveService(name), DWORD{ERROR_SUCCESS}) << "none left is no failure";
}

}  // namespace
}  // namespace lullan::test
