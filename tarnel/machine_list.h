// The main dialog's list of computers (list view 1000): seven columns, one
// row per CComputerInfo (the row's item data), the icon telling the state of
// the main service, and the column sort.
//
// A row's name is its own text; its other cells and its icon live in its
// record (CComputerInfo::cells, the service's state) and the list asks for
// them as it paints (LVN_GETDISPINFO, answered by AnswerDisplayInfo). So a
// scan of thousands of computers changes records, and only the rows in view
// are repainted; the widest text each column has shown is kept as it is
// shown, for AutoSizeColumn.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "computer_info.h"
#include "controls.h"
#include "unique_any.h"

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
static_assert(kColumnCount == CComputerInfo::kCells);

// The small images, in the order the image list is filled.
enum Image : int {
  kImageRunning,  // icon 130: the main service runs
  kImagePresent,  // icon 129: the main service is there, not running
  kImageUnknown,  // icon 134: not known yet, or no service found
};

namespace traits {
struct MemoryDc {  // CreateCompatibleDC
  using type = HDC;
  static type invalid() noexcept { return nullptr; }
  static void close(type dc) noexcept { ::DeleteDC(dc); }
};
}  // namespace traits

class CMachineList : public ui::CListView {
 public:
  using CListView::CListView;

  // The seven columns, each as wide as its heading and a margin.
  void InsertColumns() const;

  // A new row at `row` for `record`, showing what the record holds: the
  // unknown image until its service has answered, its cells as last set.
  int InsertComputer(int row, CComputerInfo& record) const;
  // The row of that computer (a whole-name match in any case), or -1.
  int FindComputerRow(const std::wstring& name) const;
  // The computer name of a row, as the operations take it (at most 16 characters).
  std::wstring ComputerName(int row) const { return GetItemText(row, kComputerColumn, 16); }

  // A cell of a row (column 1 to 6) shows `text` from now on.
  bool SetSubItem(int row, int column, std::wstring_view text) const;
  // The same for the record's row, `row`, or -1 for a record whose row is
  // not listed yet (it shows the text once it is).
  void SetCell(CComputerInfo& record, int row, int column, std::wstring_view text) const;
  // The row's record has answered with `code`; its icon shows it.
  void ShowServiceState(int row, ServiceState code) const;
  // Columns 2 to 6 from the record, after a probe (`row` as for SetCell).
  void ShowProbedCells(int row, CComputerInfo& record) const;
  // The list's question for a cell's text or a row's icon.
  void AnswerDisplayInfo(NMLVDISPINFOW& question) const;

  // Deleting rows through the machine list keeps its index of rows in step.
  bool DeleteItem(int row) const;
  bool DeleteAll() const;
  // Deletes the rows of every record in `records` in one sweep, without
  // redrawing in between (the purge of a large domain takes thousands).
  void DeleteRowsOf(const std::unordered_set<const CComputerInfo*>& records) const;

  // Widens a column to the widest text it has shown since the list was last
  // emptied; columns only ever grow.
  void AutoSizeColumn(int column) const;
  // Sorts the rows by a column's records, ascending or descending.
  void SortByColumn(int column, bool ascending) const;

  // "%02d:%02d %cM", or "[none]" when the probe found no daily logoff time.
  static std::wstring DailyLogoffText(const CComputerInfo& record);

 private:
  static int CALLBACK CompareComputers(LPARAM first, LPARAM second, LPARAM order);
  CComputerInfo* RecordOf(int row) const { return reinterpret_cast<CComputerInfo*>(GetItemData(row)); }
  int TextWidth(std::wstring_view text) const;
  // Repaints a row when it is in view (the list asks for its cells anew).
  void RedrawRowInView(int row) const;
  // The row whose name `key` is (folded), when the index knows it and the row still holds it.
  std::optional<int> IndexedRow(const std::wstring& key) const;
  void IndexRows() const;

  // Each computer's row by its folded name, so that the scan's reports find
  // their rows in a list of thousands without comparing names one by one.
  // Stale once rows have moved (a sort, a deletion), it is built anew when
  // next asked.
  mutable std::unordered_map<std::wstring, int> rows_;
  mutable bool stale_ = false;
  mutable std::array<int, kColumnCount> widest_{};
  mutable unique_any<traits::MemoryDc> measure_;  // holds the list's font
  mutable HFONT measuredFont_ = nullptr;
};

}  // namespace lullan::tarnel
