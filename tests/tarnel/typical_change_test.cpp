// One typical change, end to end: the administrator edits the shared profile
// "stdLogoff" on the profile server in its sheet (four pages), assigns it to
// a workstation, and the workstation's configuration monitor pulls it within
// four cycles.
//
// The profile server is this test's console: its HKEY_LOCAL_MACHINE is a key
// of the prefix's own ("<root>", holding SOFTWARE\Fennick\Lullan\1.11\Tarnel),
// which the remote registry seam hands the monitor when it connects to the
// console's computer name. The workstation WS-1 is a scratch subtree, which
// the console reaches through the same seam and which stands for the
// monitor's own HKEY_LOCAL_MACHINE while its cycles run, in process, at the
// console's fixed time.
#include <gtest/gtest.h>

#include "config/resource.h"
#include "machine_names.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "nested_sheet.h"
#include "product.h"
#include "profile_server_fixture.h"
#include "profile_sync.h"
#include "resource.h"
#include "server_panel_dlg.h"
#include "text_format.h"

namespace lullan::test {
namespace {

// The machines as the monitor reaches them: the profile server is the
// console's subtree of this prefix, every other machine one of the fakes.
class ProfileServerRegistry final : public RemoteRegistry {
 public:
  ProfileServerRegistry(std::wstring serverName, HKEY serverRoot, FakeRemoteRegistry& others)
      : serverName_(MachineKey(serverName)), serverRoot_(serverRoot), others_(others) {}
  LSTATUS ConnectRegistry(LPCWSTR machineName, HKEY hive, PHKEY result) override {
    if (MachineKey(machineName) != serverName_) return others_.ConnectRegistry(machineName, hive, result);
    ++serverConnections;
    // A handle of its own, which the caller closes.
    return ::RegOpenKeyExW(serverRoot_, nullptr, 0, KEY_READ, result);
  }
  int serverConnections = 0;

 private:
  std::wstring serverName_;
  HKEY serverRoot_;
  FakeRemoteRegistry& others_;
};

// While it lives, this process's HKEY_LOCAL_MACHINE is `root`: the
// workstation's own registry, as its monitor sees it.
class MachineHive {
 public:
  explicit MachineHive(HKEY root) { EXPECT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, root), ERROR_SUCCESS); }
  ~MachineHive() { ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }
  MachineHive(const MachineHive&) = delete;
  MachineHive& operator=(const MachineHive&) = delete;
};

class TypicalChangeTest : public ProfileServerTest {
 protected:
  TypicalChangeTest()
      : serverRootPath(consoleKey.substr(0, consoleKey.find(L"\\1.11\\Tarnel"))),
        server(serverRootPath + L"\\" + ConsoleKeyPath()) {
    server.InitInstance();
    HKEY root = nullptr;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, serverRootPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root,
                      nullptr);
    serverRoot.reset(root);
    profileServer = std::make_unique<ProfileServerRegistry>(server.computerName(), root, registry);
    monitorSeams_.Use(*profileServer).Use(events);
    profmon::Log().Reset();
    profmon::Monitor() = profmon::MonitorState{};
  }
  ~TypicalChangeTest() override {
    profmon::Log().Reset();
    profmon::Monitor() = profmon::MonitorState{};
  }

  std::wstring StdLogoffKey() const { return server.consoleKeyPath() + L"\\Profiles\\stdLogoff"; }
  // A value of the workstation's configuration, "-" when it has none.
  std::wstring Local(const wchar_t* name, const std::wstring& key = kVersionKey) {
    std::optional<DWORD> number = ReadDword(Registry(L"WS-1"), key, name);
    return number ? std::to_wstring(*number) : ReadString(Registry(L"WS-1"), key, name).value_or(L"-");
  }
  const std::wstring groupsKey = std::wstring(kVersionKey) + L"\\Groups";

  // The workstation's monitor runs `count` more cycles.
  void MonitorCycles(int count) {
    MachineHive workstation(Registry(L"WS-1"));
    profmon::Monitor().configKeyPath = VersionKeyPath();
    for (int i = 0; i < count; ++i) profmon::GetRegParams();
  }

  std::wstring serverRootPath;  // the profile server's HKEY_LOCAL_MACHINE, in this prefix
  tarnel::CServerPanelApp server;
  unique_hkey serverRoot;
  std::unique_ptr<ProfileServerRegistry> profileServer;
  RecordingEventLog events;

 private:
  ScopedPlatform monitorSeams_;
};

TEST_F(TypicalChangeTest, AProfileEditedAndAssignedAtTheConsoleReachesTheWorkstationWithinFourCycles) {
  // stdLogoff as a server installation made it, with one group added since.
  for (auto [name, value] : {std::pair{L"IdleMinutes", 30u},
                             {L"UseTray", 1u},
                             {L"ForceExit", 1u},
                             {L"ProfileLastChanged", 0u},
                             {L"UseLogFile", 0u}})
    WriteDword(HKEY_LOCAL_MACHINE, StdLogoffKey(), name, value);
  WriteString(HKEY_LOCAL_MACHINE, StdLogoffKey(), L"Action", L"Logoff");
  WriteDword(HKEY_LOCAL_MACHINE, StdLogoffKey() + L"\\Groups", L"Lab Students", 0x00010014);

  // WS-1 has its own configuration and a group the profile does not know.
  Workstation(L"WS-1", L"alice", 3);
  Store(L"WS-1", L"IdleMinutes", DWORD{60});
  Store(L"WS-1", L"Action", L"Reboot");
  Store(L"WS-1", L"Debug", DWORD{0});
  Store(L"WS-1", L"UseLogFile", DWORD{0});
  Store(L"WS-1", L"Teachers", DWORD{0x00010078}, groupsKey);

  NestedSheet sheet;
  sheet.Type(IDC_GENERAL_IDLE_MINUTES, L"20").Click(IDC_GENERAL_SHUTDOWN).PressOK();
  ConsoleSession admin;
  admin.WaitForScan()
      .Do(L"edit stdLogoff: 20 minutes, then shut down",
          [&](HWND panel) {
            OpenedSession<ModalSession> profiles;
            profiles.Do(L"select stdLogoff", [](HWND dialog) { SelectProfile(dialog, L"stdLogoff"); })
                .Click(IDOK)
                .Answer(sheet.Drive())
                .PressCancel();
            profiles.ClickToOpen(panel, IDC_SHARED_PROFILES);
            EXPECT_EQ(profiles.boxes().size(), 1u) << "the sheet, and no message: " << Narrow(profiles.Describe());
          })
      .Select({L"WS-1"})
      .Click(IDC_ASSIGN_PROFILE)
      .Answer(ChooseProfile(L"stdLogoff"))
      .Answer(IDYES)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Column(panel, tarnel::kProfileColumn), std::vector<std::wstring>{L"stdLogoff"});
      })
      .Exit();
  tarnel::CServerPanelDlg panel(server);
  admin.Run(panel);
  ASSERT_TRUE(panel.WaitForScan(30000));
  EXPECT_EQ(sheet.caption(), L"Configuration for profile stdLogoff");
  EXPECT_EQ(sheet.pages(), (std::vector<std::wstring>{L"General", L"Groups", L"Tuning", L"Notification"}))
      << "a profile's sheet has no Profile page";
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, StdLogoffKey(), L"ProfileLastChanged"), 0x000E0005u)
      << "the sheet stamped the profile at 14:05";
  EXPECT_EQ(Local(L"Profile") + L" " + Local(L"PLS"), L"stdLogoff " + server.computerName());
  EXPECT_EQ(Local(L"ProfileLastChanged"), std::to_wstring(0x000E0004))
      << "assigned in the minute of the change, so stamped a minute earlier: the stamps differ";

  // The monitor compares the stamps in its fourth cycle and copies at once.
  MonitorCycles(3);
  EXPECT_EQ(profileServer->serverConnections, 0);
  EXPECT_EQ(Local(L"IdleMinutes") + L" " + Local(L"Action"), L"60 Reboot") << "nothing copied before the comparison";
  MonitorCycles(1);
  EXPECT_EQ(profileServer->serverConnections, 2) << "the comparison and the copy";
  EXPECT_EQ(Local(L"IdleMinutes") + L" " + Local(L"Action"), L"20 Shutdown");
  EXPECT_EQ(Local(L"ProfileLastChanged"), std::to_wstring(0x000E0005)) << "the copy leaves the stamps equal";
  EXPECT_EQ(Local(L"Profile") + L" " + Local(L"PLS"), L"stdLogoff " + server.computerName());
  EXPECT_EQ(Local(L"Lab Students", groupsKey), std::to_wstring(0x00010014)) << "the profile's group arrives";
  EXPECT_EQ(Local(L"Teachers", groupsKey), std::to_wstring(0x00010078)) << "the workstation's own group stays";
  EXPECT_TRUE(events.events.empty()) << "the monitor reported no error";
}

}  // namespace
}  // namespace lullan::test
