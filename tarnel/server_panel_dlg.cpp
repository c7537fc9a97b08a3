#include "server_panel_dlg.h"

#include <commctrl.h>

#include "about_dlg.h"
#include "message_box.h"
#include "remote_logoff.h"
#include "resource.h"
#include "server_panel_app.h"

namespace lullan::tarnel {

namespace {

// How long Exit gives the scan threads to see the stop flag.
constexpr DWORD kExitGraceMs = 100;

// BeginPaint and EndPaint for one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const noexcept { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

unique_icon LoadProgramIcon(int metricX, int metricY) {
  return unique_icon(
      static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARNEL), IMAGE_ICON,
                                      ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY), 0)));
}

}  // namespace

CServerPanelDlg::CServerPanelDlg(CServerPanelApp& app)
    : CDialog(IDD_SERVER_PANEL), app_(app), state_(std::make_shared<ConsoleState>(app.settings().probeThreads)) {}

CServerPanelDlg::~CServerPanelDlg() {
  // Scan threads still running keep the shared state alive and stop before
  // their next computer; their reports go nowhere.
  state_->stop = true;
  state_->reports.Close();
}

bool CServerPanelDlg::WaitForScan(DWORD milliseconds) const {
  return !waiter_ || ::WaitForSingleObject(waiter_.get(), milliseconds) == WAIT_OBJECT_0;
}

bool CServerPanelDlg::OnInitDialog() {
  AddAboutItem();
  StartCom();
  CreateStatusBar();

  largeIcon_ = LoadProgramIcon(SM_CXICON, SM_CYICON);
  smallIcon_ = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

  list_.Attach(Item(IDC_MACHINES));
  list_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  CreateImageList();
  list_.InsertColumns();

  // The dialog shows once the enumeration is done; the scan threads go on.
  state_->reports.Open(window(), kScanReportsWaiting);
  ScanNetwork();
  return true;
}

void CServerPanelDlg::AddAboutItem() const {
  HMENU menu = ::GetSystemMenu(window(), FALSE);
  wchar_t about[64] = {};
  if (!menu || ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, ARRAYSIZE(about)) <= 0) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
}

void CServerPanelDlg::StartCom() {
  // Every DCOM call of the console runs on this thread, in the multithreaded
  // apartment, at the authentication level workstations demand today.
  com_.emplace();
  if (FAILED(com_->result())) ui::ShowMessage(*this, L"CoInitialize failed.");
  HRESULT security = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, kDcomAuthenticationLevel,
                                            RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  // RPC_E_TOO_LATE: the process's security is set already, by an earlier
  // console window of this process.
  if (FAILED(security) && security != RPC_E_TOO_LATE) ui::ShowMessage(*this, L"CoInitializeSecurity failed.");
}

void CServerPanelDlg::CreateStatusBar() {
  status_.Attach(ui::CStatusBar::Create(window(), IDC_STATUS_BAR));
  status_.SetSimple(true);
  statusLine_.Attach(status_, window(), kProgressTimer);
  SetStatusText(kFindingComputers);

  // The list reaches down to just above the bar, whatever the bar's height
  // at this display's DPI.
  RECT bar{};
  RECT list{};
  RECT gap{0, 0, 0, 4};
  ::GetWindowRect(status_, &bar);
  ::GetWindowRect(Item(IDC_MACHINES), &list);
  ::MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&bar), 2);
  ::MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&list), 2);
  ::MapDialogRect(window(), &gap);
  ::SetWindowPos(Item(IDC_MACHINES), nullptr, 0, 0, list.right - list.left, bar.top - gap.bottom - list.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CServerPanelDlg::CreateImageList() {
  // Filled in the order of the Image enumeration: 130, 129, 134.
  images_.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1);
  for (unsigned icon : {IDI_SERVICE_RUNNING, IDI_SERVICE_PRESENT, IDI_SERVICE_UNKNOWN}) images_.AddIconResource(icon);
  list_.SetImageList(images_.get(), LVSIL_SMALL);
}

void CServerPanelDlg::SetStatusText(std::wstring_view text) { statusLine_.Show(text); }

bool CServerPanelDlg::OnButtonClicked(unsigned id, HWND button) {
  switch (id) {
    case IDC_LOGOFF_NOW:
      EndSessionsNow(SessionEnd::Logoff);
      return true;
    case IDC_SHUTDOWN_NOW:
      EndSessionsNow(SessionEnd::Shutdown);
      return true;
    case IDC_REBOOT_NOW:
      EndSessionsNow(SessionEnd::Reboot);
      return true;
    case IDC_CONFIGURE:
      Configure();
      return true;
    case IDC_START_STOP:
      StartStop();
      return true;
    case IDC_REFRESH:
      OnRefresh();
      return true;
    case IDC_SHARED_PROFILES:
      ManageSharedProfiles();
      return true;
    case IDC_ASSIGN_PROFILE:
      AssignProfile();
      return true;
    default:
      // Enter is OK: it closes the dialog, and the program ends.
      return CDialog::OnButtonClicked(id, button);
  }
}

void CServerPanelDlg::OnCancel() {
  // Exit: the workers stop before their next computer; the program does not
  // wait for those still busy with one.
  state_->stop = true;
  ::Sleep(kExitGraceMs);
  EndDialog(IDCANCEL);
}

bool CServerPanelDlg::OnNotify(unsigned id, NMHDR* header, LRESULT& result) {
  // Of the list's notifications only a header click does anything.
  if (id != IDC_MACHINES) return false;
  switch (header->code) {
    case LVN_COLUMNCLICK:
      OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return true;
    case LVN_DELETEALLITEMS:
      result = TRUE;  // no notification for each of thousands of rows
      return true;
    case LVN_GETDISPINFOW:
      list_.AnswerDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
      return true;
    default:
      return false;
  }
}

void CServerPanelDlg::OnColumnClick(int column) {
  if (column < 0 || column >= kColumnCount) return;
  list_.SortByColumn(column, ascending_[column]);
  ascending_[column] = !ascending_[column];
}

bool CServerPanelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  switch (message) {
    case kScanReportsWaiting:
      TakeScanReports();
      return true;
    case kListMoreComputers:
      ListNextBatch();
      return true;
    case WM_TIMER:
      if (wParam != kProgressTimer) return false;
      statusLine_.OnTimer();
      return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
      ShowAboutBox();
      return true;
    case WM_PAINT:
      return ::IsIconic(window()) && PaintMinimised();
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(largeIcon_.get());
      return true;
    case WM_DESTROY:
      OnDestroy();
      return false;
    default:
      return false;
  }
}

void CServerPanelDlg::ShowAboutBox() const {
  CAboutDlg about;
  about.DoModal(window());
}

bool CServerPanelDlg::PaintMinimised() const {
  PaintScope paint(window());
  Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()));
  RECT client{};
  ::GetClientRect(window(), &client);
  int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(paint.dc(), x, y, largeIcon_.get());
  return true;
}

void CServerPanelDlg::OnDestroy() {
  state_->stop = true;
  state_->reports.Close();
  com_.reset();
}

}  // namespace lullan::tarnel
