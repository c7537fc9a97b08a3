// The scan as the main dialog runs it: the enumeration of the browse list on
// the user-interface thread, the start of the scan threads, and what the
// dialog does with their reports.
#include <windows.h>
#include <lm.h>

#include <optional>
#include <variant>
#include <vector>

#include "handles.h"
#include "message_box.h"
#include "os_label.h"
#include "platform.h"
#include "resource.h"
#include "scan_threads.h"
#include "server_panel_app.h"
#include "server_panel_dlg.h"
#include "text_format.h"
#include "wait_cursor.h"

namespace lullan::tarnel {

namespace {

// The longest the dialog takes reports in one go before it lets the
// messages behind them through.
constexpr DWORD kReportBudgetMs = 20;

// What an enumeration that returned computers says about its error.
std::optional<std::wstring> PartialListMessage(NET_API_STATUS status) {
  switch (status) {
    case ERROR_MORE_DATA:  // the computers that came are listed
      return std::nullopt;
    case ERROR_ACCESS_DENIED:
      return L"access denied";
    case NERR_InvalidComputer:
      return L"invalid computer";
    case ERROR_NO_BROWSER_SERVERS_FOUND:
      return L"no browser server found";
    default:
      return FormatText(L"unexpected error %lu", status);
  }
}

}  // namespace

int CServerPanelDlg::ScanNetwork() {
  ui::WaitCursor wait;
  EnableRefresh(false);
  state_->found = 0;

  LPBYTE buffer = nullptr;
  DWORD read = 0;
  DWORD total = 0;
  DWORD resume = 0;
  NET_API_STATUS status = platform().domain->ServerEnum(nullptr, 101, &buffer, MAX_PREFERRED_LENGTH, &read, &total,
                                                        SV_TYPE_ALL, nullptr, &resume);
  unique_netapi_buffer entries(buffer);
  if (!entries) read = 0;
  if (status != NERR_Success) {
    if (read == 0) {
      std::wstring text = status == NERR_NotLocalDomain
                              ? std::wstring(L"Network error: not local domain")
                              : FormatText(L"Error (NERR_BASE + %ld) getting server list.",
                                           static_cast<long>(status) - static_cast<long>(NERR_BASE));
      ui::ShowMessage(*this, text);
      SetStatusText(text);  // what the list's emptiness means, after the box is gone
      EnableRefresh(true);
      return -1;
    }
    if (std::optional<std::wstring> text = PartialListMessage(status)) ui::ShowMessage(*this, *text);
  }

  // Without redrawing row by row: a thousand rows go in at once.
  list_.Send(WM_SETREDRAW, FALSE);
  ListComputers(as<const SERVER_INFO_101>(entries), read);
  list_.Send(WM_SETREDRAW, TRUE);
  list_.AutoSizeColumn(kComputerColumn);
  list_.AutoSizeColumn(kOsColumn);

  // Each worker is handed its computers' names now, in row order.
  std::vector<ScannedComputer> computers;
  const int rows = list_.ItemCount();
  for (int row = 0; row < rows; ++row) {
    ScannedComputer& computer = computers.emplace_back();
    computer.name = list_.ComputerName(row);
    if (const CComputerInfo* record = state_->records.FindComputer(computer.name))
      computer.osText = record->osText.str();
  }
  state_->total = rows;
  waiter_ = StartScanThreads(state_, std::move(computers), app_.settings(), window());
  // "Refresh" comes back when the waiter reports the end of the scan.
  return static_cast<int>(read);
}

void CServerPanelDlg::ListComputers(const SERVER_INFO_101* entries, DWORD count) {
  int position = list_.ItemCount();
  for (DWORD i = 0; i < count; ++i) {
    const SERVER_INFO_101& entry = entries[i];
    // A name longer than a computer name is cut before it is looked up, so
    // that the row, the record and every later lookup agree on it.
    std::wstring name = CutToField(entry.sv101_name ? entry.sv101_name : L"", CComputerInfo::kNameChars);
    if (state_->records.FindComputer(name)) continue;  // the browse list may name a computer twice
    CComputerInfo& record = state_->records.AddComputer(name);
    int row = list_.InsertComputer(position, record);
    if (row < 0) {  // the list is full: what is listed is scanned
      state_->records.Remove(record);
      return;
    }
    record.osText = OsLabel(entry.sv101_type, entry.sv101_version_major, entry.sv101_version_minor);
    list_.SetSubItem(row, kOsColumn, record.osText.str());
    ++position;
  }
}

void CServerPanelDlg::OnRefresh() {
  state_->total = 0;
  list_.DeleteAll();
  state_->records.Clear();
  // The last scan's result would stand beside an empty list.
  SetStatusText(kFindingComputers);
  ScanNetwork();
}

void CServerPanelDlg::EnableRefresh(bool enable) const {
  // A disabled button cannot keep the focus: the list takes it.
  if (!enable && ::GetFocus() == Item(IDC_REFRESH)) Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list_.window()), TRUE);
  EnableItem(IDC_REFRESH, enable);
}

void CServerPanelDlg::TakeScanReports() {
  state_->reports.Deliver(
      kReportBudgetMs, [this](const ScanReport& report) { std::visit([this](const auto& r) { Apply(r); }, report); });
}

void CServerPanelDlg::Apply(const ServiceAnswered& answer) {
  CComputerInfo* record = state_->records.FindComputer(answer.computer);
  if (answer.code == ServiceState::NotReachable) {
    // The row keeps the unknown image.
    if (record) record->noService = true;
    return;
  }
  if (record) record->stateCode = answer.code;
  int row = list_.FindComputerRow(answer.computer);
  if (row >= 0) list_.ShowServiceState(row, answer.code);
}

void CServerPanelDlg::Apply(const ComputerProbed& probe) { ShowProbe(probe.computer, probe.result); }

void CServerPanelDlg::ShowProbe(const std::wstring& computer, const ProbeResult& result) {
  CComputerInfo* record = state_->records.FindComputer(computer);
  if (!record) return;
  StoreProbe(*record, result);
  if (!result.versionKeyOpened) return;  // the cells keep what they showed
  int row = list_.FindComputerRow(computer);
  if (row >= 0) list_.ShowProbedCells(row, *record);
}

void CServerPanelDlg::Apply(const StatusText& status) { SetStatusText(status.text); }

void CServerPanelDlg::Apply(const ScanMessage& message) {
  // One box at a time; while it is up, the rows go on filling and later
  // messages wait for their turn.
  waitingMessages_.push_back(message.text);
  if (showingMessage_) return;
  showingMessage_ = true;
  while (!waitingMessages_.empty()) {
    std::wstring text = std::move(waitingMessages_.front());
    waitingMessages_.pop_front();
    state_->reports.Wake();
    ui::ShowMessage(window(), text);
  }
  showingMessage_ = false;
}

void CServerPanelDlg::Apply(const ScanFinished&) {
  const int total = state_->total;
  if (total != 0) {
    int running = 0;
    state_->records.ForEach([&running](CComputerInfo& record) {
      if (record.stateCode == ServiceState::Running) ++running;
    });
    SetStatusText(FormatText(L"%d of %d computers running Lullan service", running, total));
    for (int column = kDailyLogoffColumn; column <= kProfileColumn; ++column) list_.AutoSizeColumn(column);
  } else {
    SetStatusText(L"Lullan not found on any computers.");
  }
  EnableRefresh(true);
}

}  // namespace lullan::tarnel
