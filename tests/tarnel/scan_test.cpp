// The scan: the browse list read on the user-interface thread, the workers
// that ask each computer's service manager and probe its registry, and what
// the list and the status bar show while it runs and when it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <set>

#include "console_fixture.h"
#include "server_panel_dlg.h"
#include "text_format.h"

namespace lullan::test {
namespace {

class ScanTest : public ConsoleTest {
 protected:
  static std::wstring Pc(int number) { return FormatText(L"PC-%02d", number); }
};

TEST_F(ScanTest, NineComputersAreScannedByThreeWorkersForRowsZeroToThreeFourToSevenAndEight) {
  for (int i = 1; i <= 9; ++i) Workstation(Pc(i), L"user", static_cast<DWORD>(i));
  services.DelayEachCall(40);  // so that the workers' calls overlap
  ConsoleSession admin;
  admin.Look([](const Controls& panel) { EXPECT_FALSE(panel.Enabled(IDC_REFRESH)) << "Refresh while the scan runs"; })
      .WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_TRUE(panel.Enabled(IDC_REFRESH)) << "Refresh after the scan";
        EXPECT_EQ(StatusText(panel), L"9 of 9 computers running Lullan service");
        for (const ListRow& row : Rows(panel)) EXPECT_EQ(row.image, 0) << Narrow(row.cells[0]) << " runs Lullan";
      })
      .Exit();
  RunConsole(admin);

  std::vector<std::wstring> opened = ManagersOpened();
  ASSERT_EQ(opened.size(), 9u);
  EXPECT_EQ(std::set<std::wstring>(opened.begin(), opened.begin() + 3), (std::set<std::wstring>{Pc(1), Pc(5), Pc(9)}))
      << "each worker starts with the first of its rows";
  // Within its rows each worker goes down the list.
  for (const std::vector<std::wstring>& rows :
       {std::vector<std::wstring>{Pc(1), Pc(2), Pc(3), Pc(4)}, {Pc(5), Pc(6), Pc(7), Pc(8)}, {Pc(9)}}) {
    std::vector<std::wstring> visited;
    std::copy_if(opened.begin(), opened.end(), std::back_inserter(visited),
                 [&rows](const std::wstring& pc) { return std::find(rows.begin(), rows.end(), pc) != rows.end(); });
    EXPECT_EQ(visited, rows);
  }
  EXPECT_EQ(services.MostCallsAtOnce(), 3) << "three workers ask side by side";
  EXPECT_EQ(services.OpenHandles(), 0) << "every service handle is closed";
  EXPECT_EQ(services.Faults(), 0);
}

TEST_F(ScanTest, TheListShowsTheOsVersionsDailyLogoffTimesUsersAndProfilesEachComputerHolds) {
  Workstation(L"PC-2000", L"alice", 12).Win2000();
  Store(L"PC-2000", L"EnableDailyLogoff", 1);
  Store(L"PC-2000", L"DailyLogoffTime", 0x000D001E);  // 13:30
  Store(L"PC-2000", L"PrevUser", L"bob");
  Store(L"PC-2000", L"Profile", L"stdLogoff");
  Workstation(L"PC-NT4", L"carol", 7, SERVICE_STOPPED).Nt(4, 0);
  Store(L"PC-NT4", L"EnableDailyLogoff", 0);
  Store(L"PC-NT4", L"DailyLogoffTime", 0x000D001E);  // not read: daily logoff is off
  Listed(L"PC-95").Win9x();                          // no service manager answers for Windows 95
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(RowLines(panel), (std::vector<std::wstring>{
                                       L"PC-2000 | Win2000 | 01:30 PM | alice | 12 | bob | stdLogoff | image 0",
                                       L"PC-NT4 | NT 4.0 | [none] | carol | 7 |  |  | image 1",
                                       L"PC-95 | Win9x |  |  |  |  |  | image 2",
                                   }));
        EXPECT_EQ(StatusText(panel), L"1 of 3 computers running Lullan service");
      })
      .Exit();
  RunConsole(admin);
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
  EXPECT_EQ(registry.requests.size(), 2u) << "only computers whose service answered are probed";
}

TEST_F(ScanTest, ProgressCountsTheComputersFoundAndStartsAgainAfterRefresh) {
  for (const wchar_t* pc : {L"PC-A", L"PC-C", L"PC-E"}) Workstation(pc, L"user");
  Listed(L"PC-B");  // unreachable
  Listed(L"PC-D");
  services.On(L"PC-D").Service(L"Spooler", SERVICE_RUNNING);  // reachable, without Lullan
  ConsoleSession admin;
  admin.WaitForScan().Refresh().WaitForScan().Exit();
  RunConsole(admin);

  // Each scan: the search, its counts going up (a count that comes within a
  // tenth of a second of the last one shown may give way to the next), the result.
  std::vector<std::wstring> status = admin.statusTexts();
  for (int scan = 1; scan <= 2; ++scan) {
    SCOPED_TRACE(FormatTextA("scan %d; status texts:\n%s", scan, Narrow(admin.DescribeStatus()).c_str()));
    ASSERT_GE(status.size(), 3u);
    EXPECT_EQ(status.front(), L"Finding computer information, please wait...");
    auto end = std::find(status.begin(), status.end(), L"3 of 5 computers running Lullan service");
    ASSERT_NE(end, status.end());
    int last = 0;
    for (auto line = status.begin() + 1; line != end; ++line) {
      const std::wstring prefix = L"Lullan found on ";
      const int found = static_cast<int>(std::wcstol(line->c_str() + prefix.size(), nullptr, 10));
      EXPECT_EQ(*line, FormatText(L"Lullan found on %d of 5 computers -- continuing scan...", found));
      EXPECT_GT(found, last) << "the count goes up, from 1 again after Refresh";
      EXPECT_LE(found, 3);
      last = found;
    }
    EXPECT_GT(last, 0) << "a count is shown";
    status.erase(status.begin(), end + 1);
  }
  EXPECT_TRUE(status.empty());
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
}

TEST_F(ScanTest, ColumnsWidenToTheirWidestTextOnceTheScanHasShownItAndNeverNarrow) {
  const std::wstring longName = L"WORKSTATION-042";  // wider than "Computer "
  const std::wstring longUser = L"administrator-of-sales";
  Workstation(longName, longUser, 7);
  Workstation(L"PC-2", L"bo", 8);
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([&](const Controls& panel) {
        ui::CListView list(panel.Item(IDC_MACHINES));
        EXPECT_EQ(list.ColumnWidth(tarnel::kComputerColumn), list.StringWidth(longName) + 8 + 16)
            << "a name stands beside its icon";
        EXPECT_EQ(list.ColumnWidth(tarnel::kCurrentUserColumn), list.StringWidth(longUser) + 8);
      })
      .Do(L"the long user logs off", [&](HWND) { LoggedOn(longName, L"x"); })
      .Refresh()
      .WaitForScan()
      .Look([&](const Controls& panel) {
        ui::CListView list(panel.Item(IDC_MACHINES));
        EXPECT_EQ(list.ColumnWidth(tarnel::kCurrentUserColumn), list.StringWidth(longUser) + 8) << "columns only grow";
      })
      .Exit();
  RunConsole(admin);
}

TEST_F(ScanTest, AnEmptyBrowseListEndsWithLullanNotFound) {
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_TRUE(Rows(panel).empty());
        EXPECT_EQ(StatusText(panel), L"Lullan not found on any computers.");
      })
      .Exit();
  RunConsole(admin);
  EXPECT_TRUE(services.Calls().empty());
  EXPECT_EQ(domain.serverEnums.size(), 1u);
  const ScriptedDomain::ServerEnumCall& asked = domain.serverEnums.at(0);
  EXPECT_TRUE(asked.server.empty() && asked.domain.empty()) << "the local machine, its primary domain";
  EXPECT_EQ(asked.level, 101u);
  EXPECT_EQ(asked.preferredMaximumLength, MAX_PREFERRED_LENGTH);
  EXPECT_EQ(asked.serverType, SV_TYPE_ALL);
}

TEST_F(ScanTest, BrowseListErrorsAreToldAndAListWithoutEntriesStartsNoThread) {
  for (const wchar_t* pc : {L"PC-1", L"PC-2", L"PC-3"}) Workstation(pc);
  struct Case {
    NET_API_STATUS status;
    DWORD entries;
    const wchar_t* message;  // null: none
    size_t rows;
  };
  for (const Case& c : {
           Case{NERR_NotLocalDomain, 0, L"Network error: not local domain", 0},
           Case{ERROR_NO_BROWSER_SERVERS_FOUND, 0, L"Error (NERR_BASE + 4018) getting server list.", 0},
           Case{ERROR_MORE_DATA, 2, nullptr, 2},
           Case{ERROR_ACCESS_DENIED, 1, L"access denied", 1},
           Case{NERR_InvalidComputer, 1, L"invalid computer", 1},
           Case{ERROR_NO_BROWSER_SERVERS_FOUND, 2, L"no browser server found", 2},
           Case{ERROR_NETNAME_DELETED, 3, L"unexpected error 64", 3},
       }) {
    SCOPED_TRACE(FormatTextA("status %lu with %lu entries", c.status, c.entries));
    domain.FailServerEnum(c.status, c.entries);
    size_t callsBefore = services.Calls().size();
    ConsoleSession admin;
    if (c.message) admin.Answer(IDOK);
    admin.WaitForScan()
        .Look([&c](const Controls& panel) {
          EXPECT_EQ(Rows(panel).size(), c.rows);
          unsigned long rows = static_cast<unsigned long>(c.rows);
          std::wstring status = c.rows == 0 ? std::wstring(c.message)  // the status bar tells it too
                                            : FormatText(L"%lu of %lu computers running Lullan service", rows, rows);
          EXPECT_EQ(StatusText(panel), status);
        })
        .Exit();
    RunConsole(admin);
    std::vector<std::wstring> expected;
    if (c.message) expected.push_back(c.message);
    std::vector<std::wstring> shown;
    for (const SeenDialog& box : admin.boxes()) shown.push_back(box.Text());
    EXPECT_EQ(shown, expected);
    if (c.rows == 0) {
      EXPECT_EQ(services.Calls().size(), callsBefore) << "no worker ran";
    }
  }
}

TEST_F(ScanTest, ExitDuringAScanEndsInAboutATenthOfASecondAndEachWorkerStopsBeforeItsNextComputer) {
  for (int i = 1; i <= 12; ++i) Workstation(Pc(i));
  services.DelayEachCall(500);  // each computer's service query takes 2.5 s
  DWORD clicked = 0;
  ConsoleSession admin;
  admin
      .Do(L"let the three workers start",
          [this](HWND) { EXPECT_TRUE(PumpUntil([this] { return services.MostCallsAtOnce() == 3; }, 10000)); })
      .Do(L"click Exit", [&clicked](HWND panel) {
        clicked = ::GetTickCount();
        ::SendMessageW(::GetDlgItem(panel, IDCANCEL), BM_CLICK, 0, 0);
      });
  tarnel::CServerPanelDlg panel(app);
  EXPECT_EQ(admin.Run(panel), IDCANCEL);
  DWORD closing = ::GetTickCount() - clicked;
  EXPECT_GE(closing, 100u) << "Exit gives the workers a tenth of a second";
  EXPECT_LT(closing, 1000u) << "Exit does not wait for the workers, busy for seconds yet";
  EXPECT_TRUE(panel.WaitForScan(30000));
  std::vector<std::wstring> opened = ManagersOpened();
  EXPECT_EQ(std::set<std::wstring>(opened.begin(), opened.end()), (std::set<std::wstring>{Pc(1), Pc(5), Pc(9)}))
      << "each worker ended after the computer it was busy with";
  EXPECT_EQ(opened.size(), 3u);
}

TEST_F(ScanTest, AScanWhoseEndFailsStillEndsAndRefreshComesBack) {
  // The purge's question to a Windows 9x computer fails as an allocation
  // would, on the scan's last thread.
  struct FailingRegistry final : RemoteRegistry {
    explicit FailingRegistry(RemoteRegistry& others) : others(others) {}
    LSTATUS ConnectRegistry(LPCWSTR machine, HKEY hive, PHKEY key) override {
      if (std::wstring(machine) == L"\\\\PC-95") throw std::bad_alloc();
      return others.ConnectRegistry(machine, hive, key);
    }
    RemoteRegistry& others;
  } failing(registry);
  WriteDword(HKEY_LOCAL_MACHINE, consoleKey, L"EnableWin9x", 1);
  WriteDword(HKEY_LOCAL_MACHINE, consoleKey, L"Purge", 1);
  app.InitInstance();
  Workstation(L"PC-1");
  Listed(L"PC-95").Win9x();
  ScopedPlatform broken;
  broken.Use(failing);
  ConsoleSession admin;
  admin
      .Do(L"wait for the scan's end",
          [](HWND panel) {
            EXPECT_TRUE(
                PumpUntil([panel] { return ::IsWindowEnabled(::GetDlgItem(panel, IDC_REFRESH)) != FALSE; }, 5000))
                << "Refresh never came back";
          })
      .Look([](const Controls& panel) { EXPECT_EQ(StatusText(panel), L"1 of 2 computers running Lullan service"); })
      .Exit();
  RunConsole(admin);
}

}  // namespace
}  // namespace lullan::test
