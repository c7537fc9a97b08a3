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

// The text a column sorts by; null for a column that sorts by a number.
const std::wstring* SortText(const CComputerInfo& record, int column) {
  switch (column) {
    case kComputerColumn:
      return &record.name;
    case kOsColumn:
      return &record.osText.str();
    case kCurrentUserColumn:
      return &record.currentUser.str();
    case kPreviousUserColumn:
      return &record.previousUser.str();
    case kProfileColumn:
      return &record.profile.str();
    default:
      return nullptr;
  }
}

// A text's sort key without regard to case: two keys compare byte by byte
// as CompareStringW compares their texts, and names that differ only in
// case sort together.
std::string SortKey(const std::wstring& text) {
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(text.size());
  const int bytes = ::LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length, nullptr, 0);
  if (bytes <= 0) return std::string();
  std::string key(static_cast<size_t>(bytes), '\0');
  ::LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length, reinterpret_cast<LPWSTR>(key.data()), bytes);
  return key;
}

struct SortOrder {
  int column;
  bool ascending;
  // Each record's key for a text column, made once per sort: in a list of
  // thousands of rows, comparing the texts themselves for each of the
  // n log n pairs kept the list busy for a good part of a second.
  std::unordered_map<const CComputerInfo*, std::string> keys;
};

template <typename T>
int CompareValues(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
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
  // The icon is the record's too (CListView::InsertItem knows no icon callback).
  std::wstring name(record.name);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = row;
  item.pszText = name.data();
  item.lParam = reinterpret_cast<LPARAM>(&record);
  item.iImage = I_IMAGECALLBACK;
  row = static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  if (row == ItemCount() - 1) {
    rows_.emplace(FoldedName(record.name), row);  // the first row of a name is the one found
  } else {
    stale_ = true;  // the rows below have moved
  }
  widest_[kComputerColumn] = std::max(widest_[kComputerColumn], TextWidth(record.name));
  SetCell(record, -1, kOsColumn, record.osText.str());
  // The other cells are the record's, asked for as the list paints.
  LVITEMW cell{};
  cell.pszText = LPSTR_TEXTCALLBACKW;
  for (cell.iSubItem = kOsColumn; cell.iSubItem < kColumnCount; ++cell.iSubItem) {
    Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    const std::wstring& text = record.cells[static_cast<size_t>(cell.iSubItem)];
    widest_[cell.iSubItem] = std::max(widest_[cell.iSubItem], TextWidth(text));
  }
  return row;
}

bool CMachineList::SetSubItem(int row, int column, std::wstring_view text) const {
  CComputerInfo* record = RecordOf(row);
  if (!record) return false;
  SetCell(*record, row, column, text);
  return true;
}

void CMachineList::SetCell(CComputerInfo& record, int row, int column, std::wstring_view text) const {
  if (column <= kComputerColumn || column >= kColumnCount) return;
  std::wstring& cell = record.cells[static_cast<size_t>(column)];
  if (cell == text) return;
  cell = text;
  widest_[column] = std::max(widest_[column], TextWidth(cell));
  if (row >= 0) RedrawRowInView(row);
}

void CMachineList::ShowServiceState(int row, ServiceState code) const {
  CComputerInfo* record = RecordOf(row);
  if (!record) return;
  record->stateCode = code;
  record->serviceAnswered = true;
  RedrawRowInView(row);
}

void CMachineList::ShowProbedCells(int row, CComputerInfo& record) const {
  SetCell(record, -1, kDailyLogoffColumn, DailyLogoffText(record));
  SetCell(record, -1, kCurrentUserColumn, record.currentUser.str());
  SetCell(record, -1, kIdleForColumn, FormatText(L"%lu", record.idleTime));
  SetCell(record, -1, kPreviousUserColumn, record.previousUser.str());
  SetCell(record, -1, kProfileColumn, record.profile.str());
  if (row >= 0) RedrawRowInView(row);
}

void CMachineList::AnswerDisplayInfo(NMLVDISPINFOW& question) const {
  LVITEMW& item = question.item;
  const auto* record = reinterpret_cast<const CComputerInfo*>(item.lParam);
  if (!record) record = RecordOf(item.iItem);
  if (!record) return;
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iSubItem > kComputerColumn &&
      item.iSubItem < kColumnCount) {
    const std::wstring& text = record->cells[static_cast<size_t>(item.iSubItem)];
    const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
    text.copy(item.pszText, length);
    item.pszText[length] = L'\0';
  }
  if (item.mask & LVIF_IMAGE) item.iImage = record->serviceAnswered ? ImageOf(record->stateCode) : kImageUnknown;
}

int CMachineList::TextWidth(std::wstring_view text) const {
  if (text.empty()) return 0;
  // The list's own measure (LVM_GETSTRINGWIDTH) takes a device context for
  // every text; a scan of thousands of computers measures tens of thousands.
  const auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  if (!measure_) {
    measure_.reset(::CreateCompatibleDC(nullptr));
    measuredFont_ = nullptr;
  }
  if (!measure_) return StringWidth(text);
  if (font != measuredFont_) {
    ::SelectObject(measure_.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    measuredFont_ = font;
  }
  SIZE size{};
  ::GetTextExtentPoint32W(measure_.get(), text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void CMachineList::RedrawRowInView(int row) const {
  const auto top = static_cast<int>(Send(LVM_GETTOPINDEX));
  const auto inView = static_cast<int>(Send(LVM_GETCOUNTPERPAGE));
  if (row >= top && row <= top + inView) Send(LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
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
  widest_.fill(0);
  return CListView::DeleteAll();
}

void CMachineList::DeleteRowsOf(const std::unordered_set<const CComputerInfo*>& records) const {
  if (records.empty()) return;
  Send(WM_SETREDRAW, FALSE);
  // From the last row up, so that the rows still to be looked at keep their places.
  for (int row = ItemCount() - 1; row >= 0; --row) {
    if (records.count(RecordOf(row))) CListView::DeleteItem(row);
  }
  stale_ = true;
  Send(WM_SETREDRAW, TRUE);
}

std::wstring CMachineList::DailyLogoffText(const CComputerInfo& record) {
  if (!record.dailyLogoff.set) return L"[none]";
  return FormatPackedTime(PackTime(record.dailyLogoff.hour, record.dailyLogoff.minute));
}

void CMachineList::AutoSizeColumn(int column) const {
  if (column < 0 || column >= kColumnCount) return;
  // Every text needs its margin; the first column's texts stand beside the
  // row's icon as well.
  int needed = widest_[column] + kTextMargin + (column == kComputerColumn ? kSmallIconWidth : 0);
  if (widest_[column] > 0 && ColumnWidth(column) < needed) SetColumnWidth(column, needed);
}

void CMachineList::SortByColumn(int column, bool ascending) const {
  stale_ = true;
  SortOrder order{column, ascending, {}};
  for (int row = 0, rows = ItemCount(); row < rows; ++row) {
    const CComputerInfo* record = RecordOf(row);
    if (const std::wstring* text = record ? SortText(*record, column) : nullptr)
      order.keys.emplace(record, SortKey(*text));
  }
  Sort(&CMachineList::CompareComputers, reinterpret_cast<LPARAM>(&order));
}

int CALLBACK CMachineList::CompareComputers(LPARAM first, LPARAM second, LPARAM sortOrder) {
  const auto* a = reinterpret_cast<const CComputerInfo*>(first);
  const auto* b = reinterpret_cast<const CComputerInfo*>(second);
  const auto* order = reinterpret_cast<const SortOrder*>(sortOrder);
  if (!a || !b) return 0;
  if (!order->ascending) std::swap(a, b);
  switch (order->column) {
    case kDailyLogoffColumn:
      return CompareValues(DailyLogoffMinute(*a), DailyLogoffMinute(*b));
    case kIdleForColumn:
      return CompareValues(a->idleTime, b->idleTime);
    default: {
      auto keyA = order->keys.find(a);
      auto keyB = order->keys.find(b);
      if (keyA == order->keys.end() || keyB == order->keys.end()) return 0;
      return keyA->second.compare(keyB->second) < 0 ? -1 : (keyB->second.compare(keyA->second) < 0 ? 1 : 0);
    }
  }
}

}  // namespace lullan::tarnel
