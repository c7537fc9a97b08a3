// Removals: from the main dialog while the services run, from the installed
// copy of setup itself (the Add/Remove Programs entry), and the rules for the
// Start-menu shortcuts.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

#include "build_paths.h"
#include "file_table.h"
#include "planted_library.h"
#include "quitcom_registry.h"
#include "registry_fixture.h"
#include "resource.h"
#include "setup_fixture.h"
#include "text_format.h"
#include "uninstall.h"

namespace lullan::test {
namespace {

// The service control manager's rule for a service another one depends on:
// while the monitor runs, the main service refuses to stop.
class DependentServices final : public RemoteServiceManager {
 public:
  DependentServices(ScriptedServiceManager& inner, std::wstring main, std::wstring monitor)
      : inner_(inner), main_(std::move(main)), monitor_(std::move(monitor)) {}

  SC_HANDLE OpenManager(LPCWSTR machine, DWORD access) override { return inner_.OpenManager(machine, access); }
  SC_HANDLE OpenNamedService(SC_HANDLE manager, LPCWSTR name, DWORD access) override {
    SC_HANDLE service = inner_.OpenNamedService(manager, name, access);
    if (service) names_[service] = name;
    return service;
  }
  BOOL QueryStatus(SC_HANDLE service, SERVICE_STATUS* status) override { return inner_.QueryStatus(service, status); }
  BOOL Start(SC_HANDLE service) override { return inner_.Start(service); }
  BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override {
    const std::wstring who = names_[service] == main_ ? L"Lullan" : L"lConfigMon";
    if (control == SERVICE_CONTROL_STOP && who == L"Lullan" && inner_.State(L"", monitor_) == SERVICE_RUNNING) {
      stops.push_back(who + L" refused");
      ::SetLastError(ERROR_DEPENDENT_SERVICES_RUNNING);
      return FALSE;
    }
    BOOL done = inner_.Control(service, control, status);
    stops.push_back(who + (done ? L" stopped" : L" failed"));
    return done;
  }
  BOOL CloseHandle(SC_HANDLE handle) override { return inner_.CloseHandle(handle); }

  std::vector<std::wstring> stops;  // "Lullan refused", "lConfigMon stopped"... in order

 private:
  ScriptedServiceManager& inner_;
  std::wstring main_;
  std::wstring monitor_;
  std::map<SC_HANDLE, std::wstring> names_;
};

class UninstallTest : public SetupTest {};

TEST_F(UninstallTest, ARunningServiceWithItsMonitorIsStoppedAndEverythingOfTheProductGoes) {
  domain.AddUser(L"svc-lullan").Admin();
  InstallFromMainDialog({.account = L"svc-lullan", .password = L"s3cret"});
  ASSERT_TRUE(Eventually([this] { return QuitsrvRegistered(); }));
  services.On(L"").Service(site.serviceName, SERVICE_RUNNING).Service(site.monitorServiceName, SERVICE_RUNNING);
  DependentServices dependencies(services, site.serviceName, site.monitorServiceName);
  ScopedPlatform withDependencies;
  withDependencies.Use(dependencies);

  ModalSession admin;
  admin.Answer(IDYES)
      .Click(IDC_REMOVE)
      .Look([](const Controls& dialog) { EXPECT_FALSE(::IsWindowVisible(dialog.Item(IDC_START_STOP))); })
      .Click(IDCANCEL);
  RunSetup(admin);
  ASSERT_EQ(admin.boxes().size(), 1u) << Describe(admin.boxes());
  EXPECT_EQ(admin.boxes()[0].Text(),
            L"Lullan service removed.\n\nTo completely remove all files the workstation must be rebooted.  Save any "
            L"open files before taking this action.  Do you want to reboot your computer now?");
  EXPECT_EQ(dependencies.stops,
            (std::vector<std::wstring>{L"Lullan refused", L"lConfigMon stopped", L"Lullan stopped"}));
  ASSERT_EQ(systemExit.calls.size(), 1u);
  EXPECT_EQ(systemExit.calls[0].flags, UINT{EWX_REBOOT}) << "a restart, not forced";

  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, versionKey));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, site.productKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                         L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + site.uninstallEntry));
  EXPECT_TRUE(
      KeyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + site.eventSource))
      << "the event source stays, for the records already written";
  EXPECT_FALSE(ServiceExists(site.serviceName));
  EXPECT_FALSE(ServiceExists(site.monitorServiceName));
  EXPECT_FALSE(setup::DirectoryExists(MenuFolder()));
  EXPECT_EQ(InstalledFiles(), std::set<std::wstring>{});
  EXPECT_EQ(PendingDeletions().back(), installDir) << "the directory goes at the restart, once empty";
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFCLogoffKey));
  EXPECT_TRUE(Eventually([this] { return !QuitsrvRegistered(); })) << "quitsrv.exe -UnregServer, in the background";
}

TEST_F(UninstallTest, TheInstalledSetupRemovingItselfLeavesItsOwnFileAndOneStillInUseToTheRestart) {
  InstallFromMainDialog({.server = true});
  ASSERT_TRUE(Eventually([this] { return QuitsrvRegistered(); }));
  // The running program's file, as Windows holds it; a service's process
  // still ending for a second; a user's agent that does not end.
  auto holdOpen = [this](const wchar_t* name) {
    return unique_file(
        ::CreateFileW(InstalledFile(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  };
  unique_file running = holdOpen(L"setup.exe");
  unique_file ending = holdOpen(L"lullanMsg.dll");
  unique_file staying = holdOpen(L"lullan.exe");
  ASSERT_TRUE(running && ending && staying);
  std::thread ends([&ending] {
    ::Sleep(1000);
    ending.reset();
  });
  std::vector<SeenDialog> boxes;
  const std::wstring commandLine = L"\"" + InstalledFile(L"setup.exe") + L"\" /u";
  RunSetupAnswering({IDOK, IDNO}, commandLine.c_str(), &boxes);
  ends.join();
  EXPECT_EQ(Texts(boxes).at(0), site.monitorServiceName + L" service does not exist") << "a server has no monitor";
  EXPECT_EQ(boxes.size(), 2u) << "no main dialog, and no complaint about any file:\n" << Describe(boxes);
  running.reset();
  staying.reset();
  EXPECT_EQ(InstalledFiles(), (std::set<std::wstring>{L"setup.exe", L"lullan.exe"}))
      << "tarnel.exe goes too: the console was there; lullanMsg.dll goes once it is free";
  std::vector<std::wstring> pending = PendingDeletions();
  ASSERT_GE(pending.size(), 3u);
  EXPECT_EQ(pending[pending.size() - 3], InstalledFile(L"lullan.exe"));
  EXPECT_EQ(pending[pending.size() - 2], InstalledFile(L"setup.exe"));
  EXPECT_EQ(pending.back(), installDir);
  EXPECT_TRUE(systemExit.calls.empty()) << "No: the deletions wait for the next restart";
}

// Removal runs as an administrator, often from a folder a user can write to
// or with one as its current folder: a quitcom.dll planted there must never
// have its unregistration run. The installed one is unregistered.
TEST_F(UninstallTest, AQuitcomPlantedInTheCurrentFolderNeverRunsTheInstalledOneIsUnregistered) {
  InstallFromMainDialog({.server = true});
  ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kFCLogoffKey));
  ASSERT_TRUE(::CopyFileW(WindowsPathOf(PLANTED_LIBRARY).c_str(), (startDirectory + L"\\quitcom.dll").c_str(), FALSE));
  DeleteTree(HKEY_CURRENT_USER, kPlantedLibraryKey);
  std::vector<SeenDialog> boxes;
  RunSetupAnswering({IDOK, IDNO}, L"setup.exe /u", &boxes);  // no monitor on a server; no restart
  std::optional<std::wstring> loader = ReadString(HKEY_CURRENT_USER, kPlantedLibraryKey, kPlantedLibraryValue);
  DeleteTree(HKEY_CURRENT_USER, kPlantedLibraryKey);
  EXPECT_FALSE(loader.has_value()) << "the planted library was loaded by " << Narrow(loader.value_or(L""));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFCLogoffKey)) << Describe(boxes);
}

TEST_F(UninstallTest, TheShortcutsGoOnlyWithSetupsOwnAndTheConsoleGoesInTheSameRun) {
  InstallFromMainDialog({.server = true});
  ::DeleteFileW((MenuFolder() + L"\\LullanSetup.lnk").c_str());
  ModalSession admin;
  admin.Answer(IDOK).Answer(IDNO).Click(IDC_REMOVE).Click(IDCANCEL);
  RunSetup(admin);
  EXPECT_TRUE(setup::FileExists(MenuFolder() + L"\\Tarnel.lnk")) << "not touched without LullanSetup.lnk";
  EXPECT_EQ(InstalledFiles(), std::set<std::wstring>{}) << "tarnel.exe included, although the server came in this run";
}

TEST_F(UninstallTest, WithoutAdministrativeToolsTheShortcutLivesInTheProgramsFolderAndGoesFromThere) {
  ASSERT_TRUE(::RemoveDirectoryW((programs + L"\\Administrative Tools").c_str()));
  InstallFromMainDialog({});
  const std::wstring folder = programs + L"\\Lullan";
  EXPECT_EQ(ShortcutTarget(folder + L"\\LullanSetup.lnk"), InstalledFile(L"setup.exe"));
  ModalSession admin;
  admin.Answer(IDOK).Answer(IDNO).Click(IDC_REMOVE).Click(IDCANCEL);  // no monitor; no restart
  RunSetup(admin);
  EXPECT_FALSE(setup::DirectoryExists(folder));
}

TEST(DeleteKeyTree, DeletesAKeyWithEverythingBelowItAndRefusesAnEmptyPath) {
  ScratchKey scratch(L"delete-tree");
  const std::wstring root = scratch.path();
  WriteDword(HKEY_CURRENT_USER, root + L"\\1.11\\Tarnel\\Profiles\\stdLogoff", L"IdleMinutes", 30);
  WriteDword(HKEY_CURRENT_USER, root + L"\\1.11\\Groups", L"mDomain Users", 45);
  WriteDword(HKEY_CURRENT_USER, root + L"\\1.10", L"IdleMinutes", 20);
  EXPECT_EQ(setup::DeleteKeyTree(HKEY_CURRENT_USER, root + L"\\1.11"), ERROR_SUCCESS);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, root + L"\\1.11"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, root + L"\\1.10"));
  EXPECT_EQ(setup::DeleteKeyTree(HKEY_CURRENT_USER, root + L"\\1.11"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(setup::DeleteKeyTree(HKEY_CURRENT_USER, L""), ERROR_BADKEY) << "it would name the root itself";
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, root));
}

}  // namespace
}  // namespace lullan::test
