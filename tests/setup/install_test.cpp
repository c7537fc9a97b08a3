// Installations as an administrator runs them from the main dialog: a
// workstation with and without a service account, a profile server, over an
// earlier version, twice, and with input that is not what it should be.
#include <gtest/gtest.h>

#include <set>

#include "apartment_probe.h"
#include "file_table.h"
#include "install_dir_dlg.h"
#include "install_folder_security.h"
#include "quitcom_registry.h"
#include "quitsrv_registry.h"
#include "registry_fixture.h"
#include "resource.h"
#include "service_registration.h"
#include "setup_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

// Every configuration key setup creates carries these entries, in this order.
const std::vector<std::string> kProductKeyAcl = {"allow 0x20019 S-1-1-0", "allow 0xf003f S-1-5-32-544",
                                                 "allow 0xf003f S-1-5-18", "allow 0xf003f S-1-3-0"};

const wchar_t* const kWorkstationFiles[] = {
    L"lullan.exe",  L"lullanMsg.dll", L"setup.exe",     L"readme.txt", L"quitcom.dll", L"boing.wav",   L"boioing.wav",
    L"carhorn.wav", L"shoot.wav",     L"Xylophone.wav", L"zap.wav",    L"logoff.exe",  L"quitsrv.exe", L"profmon.exe"};

class InstallTest : public SetupTest {};

std::set<std::wstring> Files(std::initializer_list<const wchar_t*> extra = {}) {
  std::set<std::wstring> files(std::begin(kWorkstationFiles), std::end(kWorkstationFiles));
  files.insert(extra.begin(), extra.end());
  return files;
}

TEST_F(InstallTest, AWorkstationWithAnAccountGetsEverythingAndTheMonitorService) {
  domain.AddUser(L"svc-lullan").Admin();
  std::vector<SeenDialog> boxes = InstallFromMainDialog({.account = L"svc-lullan", .password = L"s3cret"});
  ASSERT_EQ(boxes.size(), 7u) << Describe(boxes);
  EXPECT_EQ(boxes[4].Text(), L"Directory " + installDir + L" does not exist. Create it?");
  EXPECT_EQ(boxes[5].Text(), L"Do you want to add Lullan's configuration utility\nto the Start Menu?");
  EXPECT_EQ(boxes[6].Text(), L"Lullan installed successfully");

  EXPECT_EQ(InstalledFiles(), Files()) << "tarnel.exe is for a profile server";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, versionKey, L"InstallDir"), installDir);
  EXPECT_EQ(KeyAcl(versionKey), kProductKeyAcl);
  EXPECT_EQ(KeyAcl(versionKey + L"\\Groups"), kProductKeyAcl);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, versionKey + L"\\Tarnel"));

  const std::wstring source = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + site.eventSource;
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, source, L"EventMessageFile"), InstalledFile(L"lullanMsg.dll"));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, source, L"TypesSupported"), 7u);
  const std::wstring entry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + site.uninstallEntry;
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayName"), L"Fennick Software Lullan");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayVersion"), L"1.11");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, entry, L"InstallLocation"), installDir);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, entry, L"UninstallString"), L"\"" + InstalledFile(L"setup.exe") + L"\" /u");
  EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, entry, L"URLInfoAbout").has_value());

  ServiceConfig main = Service(site.serviceName);
  EXPECT_EQ(main.type, 0x110u);
  EXPECT_EQ(main.start, DWORD{SERVICE_AUTO_START});
  EXPECT_EQ(main.errorControl, DWORD{SERVICE_ERROR_IGNORE});
  EXPECT_EQ(main.imagePath, L"\"" + InstalledFile(L"Lullan.exe") + L"\"") << "quoted: the directory has a blank";
  EXPECT_EQ(main.dependencies, L"RpcSs");
  EXPECT_EQ(main.description, L"Idle user logoff utility");
  ServiceConfig monitor = Service(site.monitorServiceName);
  EXPECT_EQ(monitor.type, DWORD{SERVICE_WIN32_OWN_PROCESS});
  EXPECT_EQ(monitor.start, DWORD{SERVICE_DEMAND_START});
  EXPECT_EQ(monitor.imagePath, L"\"" + InstalledFile(L"profmon.exe") + L"\"");
  EXPECT_EQ(monitor.dependencies, site.serviceName);
  EXPECT_EQ(monitor.account, L"FENNICK\\svc-lullan") << "the workstation's domain before the name";

  EXPECT_EQ(ShortcutTarget(MenuFolder() + L"\\LullanSetup.lnk"), InstalledFile(L"setup.exe"));
  EXPECT_FALSE(setup::FileExists(MenuFolder() + L"\\Tarnel.lnk"));
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, std::wstring(kFCLogoffKey) + L"\\InprocServer32", nullptr),
            InstalledFile(L"quitcom.dll"));
  EXPECT_TRUE(Eventually([this] { return QuitsrvRegistered(); })) << "quitsrv.exe -RegServer, in the background";
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, std::wstring(kFCLogoffExKey) + L"\\LocalServer32", nullptr),
            L"\"" + InstalledFile(L"quitsrv.exe") + L"\"")
      << "quoted on its command line, the program found its switch behind the blank";
}

TEST_F(InstallTest, AWorkstationWithoutAnAccountHasNoMonitorService) {
  std::vector<SeenDialog> boxes = InstallFromMainDialog({.shortcut = false});
  EXPECT_EQ(Texts(boxes).at(5), L"Missing account name for monitor service; cannot install");
  EXPECT_TRUE(ServiceExists(site.serviceName));
  EXPECT_FALSE(ServiceExists(site.monitorServiceName));
  EXPECT_FALSE(setup::DirectoryExists(MenuFolder())) << "the administrator declined the shortcut";
}

TEST_F(InstallTest, AProfileServerGetsTheConsoleTheStandardProfilesAndItsShortcut) {
  std::vector<SeenDialog> boxes = InstallFromMainDialog({.server = true});
  EXPECT_EQ(boxes.size(), 6u) << "no question about the Start menu:\n" << Describe(boxes);
  EXPECT_EQ(InstalledFiles(), Files({L"tarnel.exe"}));
  EXPECT_EQ(Service(site.serviceName).start, DWORD{SERVICE_DEMAND_START});
  EXPECT_FALSE(ServiceExists(site.monitorServiceName));
  EXPECT_EQ(ShortcutTarget(MenuFolder() + L"\\LullanSetup.lnk"), InstalledFile(L"setup.exe"));
  EXPECT_EQ(ShortcutTarget(MenuFolder() + L"\\Tarnel.lnk"), InstalledFile(L"tarnel.exe"));

  const std::wstring profiles = versionKey + L"\\Tarnel\\Profiles";
  for (const std::wstring& key : {versionKey + L"\\Tarnel", profiles})
    EXPECT_EQ(KeyAcl(key), kProductKeyAcl) << Narrow(key);
  struct Profile {
    const wchar_t* name;
    const wchar_t* action;
  };
  for (const Profile& p :
       {Profile{L"stdLogoff", L"Logoff"}, Profile{L"stdShutdown", L"Shutdown"}, Profile{L"stdReboot", L"Reboot"}}) {
    SCOPED_TRACE(Narrow(p.name));
    const std::wstring key = profiles + L"\\" + p.name;
    EXPECT_EQ(KeyAcl(key), kProductKeyAcl);
    EXPECT_EQ(KeyAcl(key + L"\\Groups"), kProductKeyAcl);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"Action"), p.action);
    EXPECT_EQ(QueryValueInfo(HKEY_LOCAL_MACHINE, key, L"Action")->size, (wcslen(p.action) + 1) * sizeof(wchar_t));
    for (const wchar_t* zero :
         {L"CountdownSeconds", L"EnableDailyLogoff", L"EnableUserCancel", L"IgnoreKernel", L"IgnoreNet",
          L"MonitorMouse", L"OnlyLogoffIfLocked", L"OnlyLogoffIfScreenSaver", L"PlaySound", L"ProfileLastChanged",
          L"RunScript", L"sims$", L"UseCancelDlg", L"UseLogFile", L"UseMutex"}) {
      EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, zero), 0u) << Narrow(zero);
    }
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, L"IdleMinutes"), 30u);
    for (const wchar_t* one : {L"UseTray", L"ExplorerSensitivity", L"ForceExit"}) {
      EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, one), 1u) << Narrow(one);
    }
    EXPECT_EQ(CountValues(HKEY_LOCAL_MACHINE, key), 20u) << "Action and the nineteen defaults, nothing else";
  }
}

TEST_F(InstallTest, APreviousVersionsSettingsComeAlongWhateverTheirTypeAndSize) {
  const std::wstring old = site.productKey + L"\\1.10";
  const std::wstring exclusions = [] {
    std::wstring list;
    while (list.size() < 2000) list += L"someprogram" + std::to_wstring(list.size()) + L".exe,";
    return list.substr(0, 2000);
  }();
  WriteString(HKEY_LOCAL_MACHINE, old, L"ExcludeFiles", exclusions);
  WriteDword(HKEY_LOCAL_MACHINE, old, L"IdleMinutes", 45);
  std::vector<BYTE> blob(70000);
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
  WriteRaw(HKEY_LOCAL_MACHINE, old, L"Blob", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
  const wchar_t multi[] = L"one\0two\0";
  WriteRaw(HKEY_LOCAL_MACHINE, old, L"Multi", REG_MULTI_SZ, multi, sizeof multi);
  const ULONGLONG big = 0x0123456789ABCDEFull;
  WriteRaw(HKEY_LOCAL_MACHINE, old, L"Quad", REG_QWORD, &big, sizeof big);
  WriteRaw(HKEY_LOCAL_MACHINE, old, L"Nothing", REG_NONE, nullptr, 0);
  WriteRaw(HKEY_LOCAL_MACHINE, old, L"Unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));
  WriteString(HKEY_LOCAL_MACHINE, old, std::wstring(255, L'n').c_str(), L"a long name");
  WriteString(HKEY_LOCAL_MACHINE, old, L"", L"the default value");

  std::vector<SeenDialog> boxes = InstallFromMainDialog({.previousVersionAnswer = IDYES});
  EXPECT_EQ(boxes.at(2).Text(), L"Found previous version 1.10\nDo you want to use the old configuration settings?");
  unique_hkey from;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, old.c_str(), 0, KEY_READ, from.put()), ERROR_SUCCESS);
  DWORD copied = 0;
  for (DWORD i = 0;; ++i) {
    wchar_t name[300];
    DWORD length = ARRAYSIZE(name);
    if (::RegEnumValueW(from.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::optional<ValueInfo> before = QueryValueInfo(HKEY_LOCAL_MACHINE, old, name);
    std::optional<ValueInfo> after = QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, name);
    ASSERT_TRUE(after) << "not copied: " << Narrow(name).substr(0, 40);
    EXPECT_EQ(after->type, before->type) << Narrow(name).substr(0, 40);
    EXPECT_EQ(after->size, before->size) << Narrow(name).substr(0, 40);
    ++copied;
  }
  EXPECT_EQ(copied, 9u);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, versionKey, L"ExcludeFiles"), exclusions);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, versionKey, L"IdleMinutes"), 45u);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, old)) << "the old version's key stays";
}

TEST_F(InstallTest, InstallingTwiceCopiesAgainAndStopsAtTheService) {
  InstallFromMainDialog({.server = true});
  ModalSession admin;
  admin.Answer(IDYES)
      .Answer(IDC_SERVER)
      .Answer(FillAccount(L"", L"", L""))
      .Answer(TypeInto(IDC_DIRECTORY, installDir, IDOK));
  admin.Answer(12807 /* the shell's Yes to all */)
      .Answer(IDOK)
      .Click(IDOK)
      .Look([](const Controls& dialog) {
        EXPECT_TRUE(dialog.Focused(IDOK)) << "an installation that stopped leaves the dialog as it was";
      })
      .Click(IDCANCEL);
  RunSetup(admin);
  ASSERT_EQ(admin.boxes().size(), 6u) << Narrow(admin.Describe());
  EXPECT_EQ(admin.boxes()[4].caption, L"Confirm file overwrite");
  EXPECT_EQ(admin.boxes()[5].Text(), L"Lullan already installed");
  EXPECT_FALSE(app->installedThisRun);
}

TEST_F(InstallTest, TheDirectoryDialogCreatesOnlyTheLastLevelAndOnlyWhenAsked) {
  // Nothing to copy: the shell would make every missing level for its copies.
  for (const setup::InstallFileEntry& row : setup::MakeFileTable(L"setup.exe", startDirectory)) {
    ::DeleteFileW(row.Path().c_str());
  }
  app = std::make_unique<setup::CSetupApp>(site);
  ASSERT_TRUE(app->Start(L"setup.exe"));
  const std::wstring declined = scratch + L"\\declined";
  const std::wstring deep = scratch + L"\\missing\\deeper";
  setup::CInstallDirDlg dialog(*app);
  ModalSession admin;
  admin
      .Look([this](const Controls& dir) {
        EXPECT_EQ(DialogAnswerer::WindowText(dir.parent), L"Lullan Setup");
        EXPECT_EQ(dir.Text(IDC_DIRECTORY), app->installDir);
        EXPECT_TRUE(dir.Focused(IDOK));
        EXPECT_NE(::SendMessageW(dir.Item(IDOK), BM_GETIMAGE, IMAGE_ICON, 0), 0) << "the OK button shows its icon";
      })
      .Type(IDC_DIRECTORY, declined)
      .Answer(IDNO)
      .Click(IDOK)
      .Look([this](const Controls& dir) { EXPECT_EQ(dir.Text(IDC_DIRECTORY), app->installDir); })
      .Type(IDC_DIRECTORY, deep)
      .Answer(IDYES)
      .Click(IDOK);
  EXPECT_EQ(admin.Run(dialog), IDOK) << "nothing to copy, and nothing failed";
  EXPECT_EQ(Texts(admin.boxes()), (std::vector<std::wstring>{L"Directory " + declined + L" does not exist. Create it?",
                                                             L"Directory " + deep + L" does not exist. Create it?"}));
  EXPECT_FALSE(setup::DirectoryExists(declined));
  EXPECT_FALSE(setup::DirectoryExists(scratch + L"\\missing")) << "one level only";
  EXPECT_EQ(app->installDir, deep);
}

// Below a parent that lets Users change everything, a folder setup makes, and
// one it finds there with a file planted in it, end with the installation
// folder's list, and so do the files copied in. Compared with a folder and a
// file given the list directly: Wine keeps of a file's list only what its
// Unix permissions can hold.
TEST_F(InstallTest, TheFolderAndTheFilesCopiedInTakeNothingFromTheParentOrFromWhatWasThere) {
  const std::wstring parent = scratch + L"\\Program Files";
  ASSERT_TRUE(SetFileSecurity(parent, L"D:(A;OICI;0x1301bf;;;BU)(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"));
  const std::wstring folder = scratch + L"\\secured directly";
  const std::wstring file = folder + L"\\readme.txt";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(::CopyFileW((startDirectory + L"\\readme.txt").c_str(), file.c_str(), FALSE));
  ASSERT_TRUE(SetFileSecurity(folder, InstallFolderSddl()));
  ASSERT_TRUE(SetFileSecurity(file, InstalledFileSddl()));

  struct Case {
    const char* what;
    std::wstring directory;
    bool existing;
  } cases[] = {
      {"a new folder", installDir, false},
      {"an existing folder with a planted profmon.exe", installDir, true},
      {"a folder whose parent is missing too, made by the copy", parent + L"\\Fennick\\Lullan", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    installDir = c.directory;
    if (c.existing) {
      ::CreateDirectoryW(installDir.c_str(), nullptr);  // the removal before left it to the restart
      ASSERT_TRUE(SetFileSecurity(installDir, L"D:(A;OICI;FA;;;WD)"));
      const std::wstring planted = InstalledFile(L"profmon.exe");
      ASSERT_TRUE(::CopyFileW((startDirectory + L"\\readme.txt").c_str(), planted.c_str(), FALSE));
      ASSERT_TRUE(SetFileSecurity(planted, L"D:(A;;FA;;;WD)"));  // anybody may replace it
    }
    InstallFromMainDialog({.shortcut = false, .replaceFiles = c.existing});
    EXPECT_EQ(FileSecurity(installDir), FileSecurity(folder));
    for (const wchar_t* name : {L"profmon.exe", L"quitcom.dll", L"readme.txt"})
      EXPECT_EQ(FileSecurity(InstalledFile(name)), FileSecurity(file)) << Narrow(name);
    ModalSession admin;
    admin.Answer(IDOK).Answer(IDNO).Click(IDC_REMOVE).Click(IDCANCEL);  // no monitor; no restart
    RunSetup(admin);
  }
}

// The folder browser works only from a single-threaded apartment, whatever
// thread opens the directory dialog.
TEST_F(InstallTest, TheFolderBrowserRunsInASingleThreadedApartment) {
  app = std::make_unique<setup::CSetupApp>(site);
  ASSERT_TRUE(app->Start(L"setup.exe"));
  std::wstring apartment;
  std::vector<SeenDialog> boxes;
  OnMultithreadedThread([&] {
    setup::CInstallDirDlg dialog(*app);
    ModalSession admin;
    admin.Click(IDC_BROWSE).Answer(NoteApartmentAndCancel(apartment)).PressCancel();
    EXPECT_EQ(admin.Run(dialog), IDCANCEL);
    boxes = admin.boxes();
  });
  EXPECT_EQ(boxes.size(), 1u) << Describe(boxes);
  EXPECT_EQ(apartment, L"single-threaded");
}

TEST(ServiceCreation, AFailureIsWordedByItsError) {
  EXPECT_EQ(setup::CreateServiceErrorText(ERROR_SERVICE_EXISTS, L"FENNICK\\svc"), L"Lullan already installed");
  EXPECT_EQ(setup::CreateServiceErrorText(ERROR_INVALID_SERVICE_ACCOUNT, L"FENNICK\\svc"),
            L"CreateService error accessing account 'FENNICK\\svc'");
  EXPECT_EQ(setup::CreateServiceErrorText(ERROR_ACCESS_DENIED, L""), L"CreateService failed: 5");
}

TEST_F(InstallTest, FilesMissingFromTheStartDirectoryAreLeftOutAndTheRestIsInstalled) {
  for (const wchar_t* name : {L"lullanMsg.dll", L"readme.txt", L"zap.wav"}) {
    ::DeleteFileW((startDirectory + L"\\" + name).c_str());
  }
  InstallFromMainDialog({.shortcut = false});
  std::set<std::wstring> expected = Files();
  for (const wchar_t* name : {L"lullanMsg.dll", L"readme.txt", L"zap.wav"}) expected.erase(name);
  EXPECT_EQ(InstalledFiles(), expected);
}

// 259 characters: with "\\lullan.exe" behind it, longer than any path buffer
// of setup's day. Nothing is cut and nothing overruns: the files go in and
// come out again. (Wine cannot start quitsrv.exe from there: both of its
// runs are reported.)
TEST_F(InstallTest, ADirectoryOf259CharactersIsInstalledIntoAndRemovedAgainWhole) {
  installDir = scratch + L"\\";
  installDir += std::wstring(259 - installDir.size(), L'x');
  ModalSession admin;
  ScriptInstallation(admin, {.shortcut = false});
  admin.Click(IDOK).Answer(IDOK).Answer(IDOK).Answer(IDNO).Click(IDC_REMOVE).Click(IDCANCEL);
  RunSetup(admin);
  std::vector<std::wstring> boxes = Texts(admin.boxes());
  ASSERT_EQ(boxes.size(), 12u) << Describe(admin.boxes());
  EXPECT_EQ(boxes[5].rfind(L"Error ", 0), 0u) << Narrow(boxes[5]);
  EXPECT_NE(boxes[5].find(installDir + L"\\quitsrv.exe"), std::wstring::npos) << "the whole path, not a cut one";
  EXPECT_EQ(boxes[8], L"Lullan installed successfully");
  EXPECT_NE(boxes[9].find(installDir + L"\\quitsrv.exe"), std::wstring::npos);
  EXPECT_EQ(boxes[10], site.monitorServiceName + L" service does not exist");
  for (const setup::InstallFileEntry& row : setup::MakeFileTable(L"setup.exe", installDir)) {
    EXPECT_FALSE(setup::FileExists(row.Path())) << Narrow(row.name) << " is left";
  }
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, versionKey));
  EXPECT_FALSE(ServiceExists(site.serviceName));
}

}  // namespace
}  // namespace lullan::test
