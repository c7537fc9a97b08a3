// Sorting the list by a click on a column's heading.
#include <gtest/gtest.h>

#include <map>

#include "console_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using tarnel::kComputerColumn;
using tarnel::kCurrentUserColumn;
using tarnel::kDailyLogoffColumn;
using tarnel::kIdleForColumn;
using tarnel::kOsColumn;

using Texts = std::vector<std::wstring>;

class SortTest : public ConsoleTest {
 protected:
  // A step that expects `column` to read `texts` from top to bottom.
  static std::function<void(const Controls&)> Reads(int column, Texts texts) {
    return [column, texts](const Controls& panel) { EXPECT_EQ(Column(panel, column), texts); };
  }
};

TEST_F(SortTest, EachColumnSortsDescendingFirstThenAscendingWithADirectionOfItsOwn) {
  Workstation(L"PC-B", L"bob", 5).Nt(4, 0);
  Workstation(L"PC-A", L"ann", 10);
  Workstation(L"PC-C", L"cid", 0);
  ConsoleSession admin;
  admin.WaitForScan()
      .ClickColumn(kIdleForColumn)
      .Look(Reads(kIdleForColumn, {L"10", L"5", L"0"}))
      .ClickColumn(kIdleForColumn)
      .Look(Reads(kIdleForColumn, {L"0", L"5", L"10"}))
      .ClickColumn(kComputerColumn)  // its first click, whatever "Idle For" did
      .Look(Reads(kComputerColumn, {L"PC-C", L"PC-B", L"PC-A"}))
      .ClickColumn(kOsColumn)
      .Look(Reads(kOsColumn, {L"Win2000", L"Win2000", L"NT 4.0"}))
      .ClickColumn(kIdleForColumn)
      .Look(Reads(kIdleForColumn, {L"10", L"5", L"0"}))
      .ClickColumn(kComputerColumn)
      .Look(Reads(kComputerColumn, {L"PC-A", L"PC-B", L"PC-C"}))
      .Exit();
  RunConsole(admin);
}

TEST_F(SortTest, TextsSortWithoutRegardToCaseAndIdleTimesAsUnsignedNumbers) {
  Workstation(L"PC-1", L"apple", 0xFFFFFFFF);  // more than any signed number
  Workstation(L"PC-2", L"Banana", 2);
  Workstation(L"PC-3", L"APPLE", 300);
  ConsoleSession admin;
  admin.WaitForScan()
      .ClickColumn(kCurrentUserColumn)
      .ClickColumn(kCurrentUserColumn)
      .Look([](const Controls& panel) {
        Texts users = Column(panel, kCurrentUserColumn);
        ASSERT_EQ(users.size(), 3u);
        EXPECT_EQ(users[2], L"Banana") << "apple and APPLE stand together, before Banana";
      })
      .ClickColumn(kIdleForColumn)
      .Look(Reads(kIdleForColumn, {L"4294967295", L"300", L"2"}))
      .Exit();
  RunConsole(admin);
}

TEST_F(SortTest, DailyLogoffSortsByTimeOfDayWithComputersWithoutOneFirstWhenAscending) {
  struct Daily {
    const wchar_t* computer;
    DWORD enabled;
    DWORD time;
  };
  for (const Daily& d : {Daily{L"PC-1", 1, 0x000D001E}, Daily{L"PC-2", 0, 0}, Daily{L"PC-3", 1, 0x00090000},
                         Daily{L"PC-4", 1, 0x00000005}}) {
    Workstation(d.computer);
    Store(d.computer, L"EnableDailyLogoff", d.enabled);
    Store(d.computer, L"DailyLogoffTime", d.time);
  }
  ConsoleSession admin;
  admin.WaitForScan()
      .ClickColumn(kDailyLogoffColumn)
      .Look(Reads(kDailyLogoffColumn, {L"01:30 PM", L"09:00 AM", L"12:05 AM", L"[none]"}))
      .ClickColumn(kDailyLogoffColumn)
      .Look(Reads(kDailyLogoffColumn, {L"[none]", L"12:05 AM", L"09:00 AM", L"01:30 PM"}))
      .Exit();
  RunConsole(admin);
}

TEST_F(SortTest, AfterASortEveryComputerIsStillFoundInItsNewRow) {
  Workstation(L"PC-A", L"ann");
  Workstation(L"PC-B", L"bob");
  Workstation(L"PC-C", L"cid");
  ConsoleSession admin;
  admin.WaitForScan()
      .ClickColumn(kComputerColumn)  // PC-C, PC-B, PC-A
      .Select({L"PC-C"})
      .Click(IDC_LOGOFF_NOW)
      .Answer(IDYES)
      .Look(Reads(kCurrentUserColumn, {L"", L"bob", L"ann"}))  // the row PC-C moved to
      .Exit();
  RunConsole(admin);
}

TEST_F(SortTest, SortingDuringAScanNeitherSkipsNorRepeatsAComputer) {
  for (const wchar_t* pc : {L"PC-H", L"PC-B", L"PC-F", L"PC-D", L"PC-A", L"PC-G", L"PC-C", L"PC-E"}) Workstation(pc);
  services.DelayEachCall(40);
  ConsoleSession admin;
  admin.ClickColumn(kComputerColumn)
      .Look([](const Controls& panel) { EXPECT_FALSE(panel.Enabled(IDC_REFRESH)) << "sorted while the scan runs"; })
      .ClickColumn(kComputerColumn)
      .WaitForScan()
      .Look([](const Controls& panel) {
        for (const ListRow& row : Rows(panel)) EXPECT_EQ(row.image, 0) << Narrow(row.cells[0]) << " was scanned";
      })
      .Exit();
  RunConsole(admin);
  std::map<std::wstring, int> opened;
  for (const ScriptedServiceManager::Call& call : services.Calls())
    if (call.operation == ScriptedServiceManager::Operation::OpenManager) ++opened[call.machine];
  EXPECT_EQ(opened.size(), 8u);
  for (const auto& [machine, times] : opened) EXPECT_EQ(times, 1) << Narrow(machine);
}

}  // namespace
}  // namespace lullan::test
