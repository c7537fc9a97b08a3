#include "machine_list.h"

#include <algorithm>
#include <utility>

#include "packed_time.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

struct ColumnOfList {
  const wchar_t* heading;
  int margin;  // added to the heading's width
};

constexpr ColumnOfList kColumns[kColumnCount] = {
    {L"Computer ", 16}, {L"OS Ver", 12},        {L"Daily Logoff", 12}, {L"Current User", 12},
    {L"Idle For", 12},  {L"Previous User", 12}, {L"Profile", 12},
};

constexpr int kTextMargin = 8;
constexpr int kSmallIconWidth = 16;

struct SortOrder {
  int column;
  bool ascending;
};

template <typename T>
int CompareValues(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Without regard to case: names that differ only in case sort together.
int CompareText(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

Image ImageOf(ServiceState code) { return code == ServiceState::Running ? kImageRunning : kImagePresent; }

// Computers without a daily logoff time come before every time of day.
int DailyLogoffMinute(const CComputerInfo& record) {
  return record.dailyLogoff.set ? record.dailyLogoff.hour * 60 + record.dailyLogoff.minute : -1;
}

}  // namespace

void CMachineList::InsertColumns() const {
  for (int column = 0; column < kColumnCount; ++column)
    InsertColumn(column, kColumns[column].heading, -1, kColumns[column].margin);
}

int CMachineList::InsertComputer(int row, CComputerInfo& record) const {
  const int image = record.serviceAnswered ? ImageOf(record.stateCode) : kImageUnknown;
  row = InsertItem(row, record.name, reinterpret_cast<LPARAM>(&record), image);
  if (row < 0) return row;
  if (row == ItemCount() - 1) {
    rows_.emplace(FoldedName(record.name), row);  // the first row of a name is the one found
  } else {
    stale_ = true;  // the rows below have moved
  }
  if (!record.osText.empty()) SetSubItem(row, kOsColumn, record.osText.str());
  if (record.probed) ShowProbedCells(row, record);
  return row;
}

int CMachineList::FindComputerRow(const std::wstring& name) const {
  const std::wstring key = FoldedName(name);
  if (std::optional<int> row = IndexedRow(key)) return *row;
  // A computer the index does not know has no row, unless rows have moved
  // since it was built (or a row lost its place behind the index's back).
  if (!stale_ && rows_.find(key) == rows_.end()) return -1;
  IndexRows();
  return IndexedRow(key).value_or(-1);
}

std::optional<int> CMachineList::IndexedRow(const std::wstring& key) const {
  auto found = rows_.find(key);
  if (found == rows_.end() || found->second >= ItemCount()) return std::nullopt;
  if (FoldedName(ComputerName(found->second)) != key) return std::nullopt;
  return found->second;
}

void CMachineList::IndexRows() const {
  rows_.clear();
  for (int row = 0, count = ItemCount(); row < count; ++row) rows_.emplace(FoldedName(ComputerName(row)), row);
  stale_ = false;
}

bool CMachineList::DeleteItem(int row) const {
  stale_ = true;
  return CListView::DeleteItem(row);
}

bool CMachineList::DeleteAll() const {
  rows_.clear();
  stale_ = false;
  return CListView::DeleteAll();
}

void CMachineList::DeleteRowsOf(const std::unordered_set<const CComputerInfo*>& records) const {
  if (records.empty()) return;
  Send(WM_SETREDRAW, FALSE);
  // From the last row up, so that the rows still to be looked at keep their places.
  for (int row = ItemCount() - 1; row >= 0; --row) {
    if (records.count(reinterpret_cast<const CComputerInfo*>(GetItemData(row)))) CListView::DeleteItem(row);
  }
  stale_ = true;
  Send(WM_SETREDRAW, TRUE);
}

void CMachineList::ShowServiceState(int row, ServiceState code) const { SetItemImage(row, ImageOf(code)); }

void CMachineList::ShowProbedCells(int row, const CComputerInfo& record) const {
  SetSubItem(row, kDailyLogoffColumn, DailyLogoffText(record));
  SetSubItem(row, kCurrentUserColumn, record.currentUser.str());
  SetSubItem(row, kIdleForColumn, FormatText(L"%lu", record.idleTime));
  SetSubItem(row, kPreviousUserColumn, record.previousUser.str());
  SetSubItem(row, kProfileColumn, record.profile.str());
}

std::wstring CMachineList::DailyLogoffText(const CComputerInfo& record) {
  if (!record.dailyLogoff.set) return L"[none]";
  return FormatPackedTime(PackTime(record.dailyLogoff.hour, record.dailyLogoff.minute));
}

void CMachineList::AutoSizeColumn(int column) const {
  int widest = 0;
  for (int row = 0, rows = ItemCount(); row < rows; ++row)
    widest = std::max(widest, StringWidth(GetItemText(row, column, 127)));
  // Every text needs its margin; the first column's texts stand beside the
  // row's icon as well.
  int needed = widest + kTextMargin + (column == kComputerColumn ? kSmallIconWidth : 0);
  if (ColumnWidth(column) < needed) SetColumnWidth(column, needed);
}

void CMachineList::SortByColumn(int column, bool ascending) const {
  stale_ = true;
  SortOrder order{column, ascending};
  Sort(&CMachineList::CompareComputers, reinterpret_cast<LPARAM>(&order));
}

int CALLBACK CMachineList::CompareComputers(LPARAM first, LPARAM second, LPARAM sortOrder) {
  const auto* a = reinterpret_cast<const CComputerInfo*>(first);
  const auto* b = reinterpret_cast<const CComputerInfo*>(second);
  const auto* order = reinterpret_cast<const SortOrder*>(sortOrder);
  if (!a || !b) return 0;
  if (!order->ascending) std::swap(a, b);
  switch (order->column) {
    case kComputerColumn:
      return CompareText(a->name, b->name);
    case kOsColumn:
      return CompareText(a->osText.str(), b->osText.str());
    case kDailyLogoffColumn:
      return CompareValues(DailyLogoffMinute(*a), DailyLogoffMinute(*b));
    case kCurrentUserColumn:
      return CompareText(a->currentUser.str(), b->currentUser.str());
    case kIdleForColumn:
      return CompareValues(a->idleTime, b->idleTime);
    case kPreviousUserColumn:
      return CompareText(a->previousUser.str(), b->previousUser.str());
    case kProfileColumn:
      return CompareText(a->profile.str(), b->profile.str());
    default:
      return 0;
  }
}

}  // namespace lullan::tarnel
