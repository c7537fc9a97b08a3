// The main dialog's list of computers (list view 1000): seven columns, one
// row per CComputerInfo (the row's item data), the icon telling the state of
// the main service, and the column sort.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "computer_info.h"
#include "controls.h"

namespace lullan::tarnel {

enum Column : int {
  kComputerColumn,
  kOsColumn,
  kDailyLogoffColumn,
  kCurrentUserColumn,
  kIdleForColumn,
  kPreviousUserColumn,
  kProfileColumn,
  kColumnCount
};

// The small images, in the order the image list is filled.
enum Image : int {
  kImageRunning,  // icon 130: the main service runs
  kImagePresent,  // icon 129: the main service is there, not running
  kImageUnknown,  // icon 134: not known yet, or no service found
};

class CMachineList : public ui::CListView {
 public:
  using CListView::CListView;

  // The seven columns, each as wide as its heading and a margin.
  void InsertColumns() const;

  // A new row at `row` for `record`: its name and what the record holds
  // (the unknown image until its service has answered, the probed cells
  // once a probe has read them).
  int InsertComputer(int row, CComputerInfo& record) const;
  // The row of that computer (a whole-name match in any case), or -1.
  int FindComputerRow(const std::wstring& name) const;
  // Deleting rows through the machine list keeps its index of rows in step.
  bool DeleteItem(int row) const;
  bool DeleteAll() const;
  // Deletes the rows of every record in `records` in one sweep, without
  // redrawing in between (the purge of a large domain takes thousands).
  void DeleteRowsOf(const std::unordered_set<const CComputerInfo*>& records) const;
  // The computer name of a row, as the operations take it (at most 16 characters).
  std::wstring ComputerName(int row) const { return GetItemText(row, kComputerColumn, 16); }
  void ShowServiceState(int row, ServiceState code) const;
  // Columns 2 to 6 from the record, after a probe.
  void ShowProbedCells(int row, const CComputerInfo& record) const;

  // Widens a column to its widest text; columns only ever grow.
  void AutoSizeColumn(int column) const;
  // Sorts the rows by a column's records, ascending or descending.
  void SortByColumn(int column, bool ascending) const;

  // "%02d:%02d %cM", or "[none]" when the probe found no daily logoff time.
  static std::wstring DailyLogoffText(const CComputerInfo& record);

 private:
  static int CALLBACK CompareComputers(LPARAM first, LPARAM second, LPARAM order);
  // The row whose name `key` is (folded), when the index knows it and the row still holds it.
  std::optional<int> IndexedRow(const std::wstring& key) const;
  void IndexRows() const;

  // Each computer's row by its folded name, so that the scan's reports find
  // their rows in a list of thousands without comparing names one by one.
  // Stale once rows have moved (a sort, a deletion), it is built anew when
  // next asked.
  mutable std::unordered_map<std::wstring, int> rows_;
  mutable bool stale_ = false;
};

}  // namespace lullan::tarnel
