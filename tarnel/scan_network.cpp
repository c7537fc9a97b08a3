// The scan as the main dialog runs it: the enumeration of the browse list (or
// of the domain's computer accounts) and the listing of its computers on the
// user-interface thread, the start of the scan threads, and what the dialog
// does with their reports.
#include <windows.h>
#include <lm.h>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "computer_accounts.h"
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

// The longest the dialog takes reports, or lists computers, in one go
// before it lets the messages behind them through.
constexpr DWORD kReportBudgetMs = 20;
constexpr DWORD kListBudgetMs = 20;

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
  progressCount_ = 0;
  statusLine_.StartScan();

  std::vector<ScannedComputer> computers;
  const int found = FindComputers(computers);
  if (found < 0) {
    list_.Send(WM_SETREDRAW, TRUE);
    EnableRefresh(true);
    return -1;
  }
  // Every computer gets its record now and the scan threads start at once.
  // The rows go in a batch at a time, without redrawing, the dialog
  // answering between batches; a row shows what its computer's reports
  // have told so far.
  AddComputers(computers);
  toList_.clear();
  for (const ScannedComputer& computer : computers) toList_.push_back(computer.name);
  nextToList_ = 0;
  finishWaiting_ = false;
  state_->total = static_cast<int>(computers.size());
  waiter_ = StartScanThreads(state_, std::move(computers), app_.settings(), window());
  list_.Send(WM_SETREDRAW, FALSE);
  ListNextBatch();
  // "Refresh" comes back when the waiter reports the end of the scan.
  return found;
}

void CServerPanelDlg::AddComputers(std::vector<ScannedComputer>& computers) {
  std::vector<ScannedComputer> added;
  added.reserve(computers.size());
  for (ScannedComputer& computer : computers) {
    // A name longer than a computer name is cut before it is looked up, so
    // that the row, the record and every later lookup agree on it.
    computer.name = CutToField(computer.name, CComputerInfo::kNameChars);
    if (state_->records.FindComputer(computer.name)) continue;  // a computer may be named twice
    CComputerInfo& record = state_->records.AddComputer(computer.name);
    record.osText = computer.osText;
    computer.osText = record.osText.str();
    added.push_back(std::move(computer));
  }
  computers = std::move(added);
}

int CServerPanelDlg::FindComputers(std::vector<ScannedComputer>& computers) {
  LPBYTE buffer = nullptr;
  DWORD read = 0;
  DWORD total = 0;
  DWORD resume = 0;
  NET_API_STATUS status = platform().domain->ServerEnum(nullptr, 101, &buffer, MAX_PREFERRED_LENGTH, &read, &total,
                                                        SV_TYPE_ALL, nullptr, &resume);
  unique_netapi_buffer entries(buffer);
  if (!entries) read = 0;
  // No browse list (no Computer Browser service, no SMB1): the domain's
  // computer accounts stand in for it.
  const bool noBrowseList = read == 0 && (status == NERR_Success || status == ERROR_NO_BROWSER_SERVERS_FOUND);
  if (noBrowseList && ListFromAccounts(computers)) return static_cast<int>(computers.size());

  if (status != NERR_Success) {
    if (read == 0) {
      std::wstring text = status == NERR_NotLocalDomain
                              ? std::wstring(L"Network error: not local domain")
                              : FormatText(L"Error (NERR_BASE + %ld) getting server list.",
                                           static_cast<long>(status) - static_cast<long>(NERR_BASE));
      ui::ShowMessage(*this, text);
      SetStatusText(text);  // what the list's emptiness means, after the box is gone
      return -1;
    }
    if (std::optional<std::wstring> text = PartialListMessage(status)) ui::ShowMessage(*this, *text);
  }
  const auto* servers = as<const SERVER_INFO_101>(entries);
  for (DWORD i = 0; i < read; ++i) {
    ScannedComputer& computer = computers.emplace_back();
    computer.name = servers[i].sv101_name ? servers[i].sv101_name : L"";
    computer.osText = OsLabel(servers[i].sv101_type, servers[i].sv101_version_major, servers[i].sv101_version_minor);
  }
  return static_cast<int>(read);
}

bool CServerPanelDlg::ListFromAccounts(std::vector<ScannedComputer>& computers) {
  const std::wstring& domainController = app_.domainController();
  std::vector<std::wstring> accounts;
  if (domainController.empty() || ListComputerAccounts(domainController, accounts) != NERR_Success) return false;
  for (std::wstring& name : accounts) {
    ScannedComputer& computer = computers.emplace_back();
    computer.name = std::move(name);
    computer.fromAccounts = true;
  }
  SetStatusText(FormatText(kListedFromAccounts, static_cast<int>(computers.size())));
  return true;
}

void CServerPanelDlg::ListNextBatch() {
  const DWORD start = ::GetTickCount();
  while (nextToList_ < toList_.size()) {
    // A computer the purge has taken away meanwhile gets no row.
    if (CComputerInfo* record = state_->records.FindComputer(toList_[nextToList_++])) {
      // A list that is full shows no more rows; their computers are scanned all the same.
      if (list_.InsertComputer(list_.ItemCount(), *record) < 0) nextToList_ = toList_.size();
    }
    // The rest after the messages waiting now (unless the queue is full).
    if (::GetTickCount() - start >= kListBudgetMs && nextToList_ < toList_.size() && Post(kListMoreComputers)) return;
  }
  toList_.clear();
  list_.Send(WM_SETREDRAW, TRUE);
  list_.AutoSizeColumn(kComputerColumn);
  list_.AutoSizeColumn(kOsColumn);
  if (std::exchange(finishWaiting_, false)) Apply(ScanFinished{});
}

void CServerPanelDlg::OnRefresh() {
  state_->total = 0;
  // Not redrawn empty: the scan's listing redraws it once it is full again.
  list_.Send(WM_SETREDRAW, FALSE);
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
  if (!record) return;
  record->stateCode = answer.code;
  record->serviceAnswered = true;
  int row = list_.FindComputerRow(answer.computer);
  if (row >= 0) list_.ShowServiceState(row, answer.code);
}

void CServerPanelDlg::Apply(const ComputerProbed& probe) { ShowProbe(probe.computer, probe.result); }

void CServerPanelDlg::ShowProbe(const std::wstring& computer, const ProbeResult& result) {
  CComputerInfo* record = state_->records.FindComputer(computer);
  if (!record) return;
  StoreProbe(*record, result);
  if (!result.versionKeyOpened) return;  // the cells keep what they showed
  // A computer whose row is not listed yet shows the cells when it is.
  const int row = list_.FindComputerRow(computer);
  if (result.osText) list_.SetCell(*record, row, kOsColumn, record->osText.str());
  list_.ShowProbedCells(row, *record);
}

void CServerPanelDlg::Apply(const ScanProgress& progress) {
  if (progress.found <= progressCount_) return;  // a later count has been shown
  progressCount_ = progress.found;
  statusLine_.ShowProgress(
      FormatText(L"Lullan found on %d of %d computers -- continuing scan...", progress.found, progress.total));
  if (progress.found == progress.total) SetStatusText(L"Ready");
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
  if (nextToList_ < toList_.size()) {
    finishWaiting_ = true;  // told once the last row is in
    return;
  }
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
