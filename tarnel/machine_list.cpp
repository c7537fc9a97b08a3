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
  return InsertItem(row, record.name, reinterpret_cast<LPARAM>(&record), kImageUnknown);
}

void CMachineList::ShowServiceState(int row, ServiceState code) const {
  SetItemImage(row, code == ServiceState::Running ? kImageRunning : kImagePresent);
}

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
