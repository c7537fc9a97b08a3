#include "setup_dlg.h"

#include "about_dlg.h"
#include "config_key.h"
#include "configuration_sheet.h"
#include "install.h"
#include "install_type_dlg.h"
#include "licence_dlg.h"
#include "message_box.h"
#include "product_files.h"
#include "release_notes.h"
#include "resource.h"
#include "service_control.h"
#include "setup_app.h"
#include "text_format.h"
#include "uninstall.h"

namespace lullan::setup {

namespace {

// The main dialog whose status line follows the keyboard focus, on this thread.
thread_local HWND tStatusDialog = nullptr;

// Tab, Up and Down move the focus inside the dialog: the paint that follows
// the move rewrites the status line.
LRESULT CALLBACK KeyMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && tStatusDialog) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (message->message == WM_KEYDOWN &&
        (message->wParam == VK_TAB || message->wParam == VK_UP || message->wParam == VK_DOWN) &&
        (message->hwnd == tStatusDialog || ::IsChild(tStatusDialog, message->hwnd))) {
      ::InvalidateRect(tStatusDialog, nullptr, FALSE);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring ServicePhrase(const wchar_t* format) { return FormatText(format, kProductName); }

constexpr wchar_t kSharedProfileWarning[] =
    L"Warning: the shared profile '%s' is assigned to this workstation.  Changing this configuration will NOT affect "
    L"the profile. It is better to either edit the shared profile on the server, or remove the profile from this "
    L"configuration while making your changes. Do you really want to proceed and edit this configuration now?";

}  // namespace

std::wstring StatusText(unsigned focusId, std::wstring_view computerName) {
  const std::wstring computer(computerName);
  const std::wstring on = ServicePhrase(L" %s service on computer ") + computer;
  switch (focusId) {
    case IDOK:
      return L"Install" + on;
    case IDC_REMOVE:
      return L"Remove" + ServicePhrase(L" %s service from computer ") + computer;
    case IDC_START_STOP:
      return L"Start/Stop " + on;
    case IDC_RELEASE_NOTES:
      return L"Read release notes for " + FormatText(L"%s %s/SR2", kProductName, kVersionName);
    case IDCANCEL:
      return L"One click && we're outta here...";
    default:  // Configure, or the focus elsewhere
      return L"Configure" + on;
  }
}

CSetupDlg::CSetupDlg(CSetupApp& app) : CDialog(IDD_SETUP_DIALOG), app_(app) {}

CSetupDlg::~CSetupDlg() {
  if (tStatusDialog == window()) tStatusDialog = nullptr;
}

bool CSetupDlg::OnInitDialog() {
  AddAboutCommand();
  SetIcons();
  com_.Enter();
  app_.mainWindow = window();
  tStatusDialog = window();
  keyHook_.reset(::SetWindowsHookExW(WH_GETMESSAGE, &KeyMessageHook, nullptr, ::GetCurrentThreadId()));

  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = ARRAYSIZE(computer);
  if (::GetComputerNameW(computer, &length)) app_.computerName = computer;
  installedInDialog_ = false;

  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (::GetVersionExW(&version) && version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    ui::ShowMessage(window(), FormatText(L"%s only runs on Windows NT.\nInstallation aborted.", kProductName));
    ::PostQuitMessage(0);
    return true;
  }
  SetItemText(IDC_START_STOP, IsServiceRunning(app_.site().serviceName, window()) ? kStopCaption : kStartCaption);
  ShowItem(IDC_START_STOP, true);
  RefreshStatus();
  return true;
}

void CSetupDlg::AddAboutCommand() {
  HMENU menu = ::GetSystemMenu(window(), FALSE);
  wchar_t about[64] = {};
  if (!menu || ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, ARRAYSIZE(about)) == 0) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
}

void CSetupDlg::SetIcons() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  bigIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
  smallIcon_.reset(
      static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void CSetupDlg::RefreshStatus() const {
  HWND focus = ::GetFocus();
  unsigned id = focus && ::IsChild(window(), focus) ? static_cast<unsigned>(::GetDlgCtrlID(focus)) : 0;
  std::wstring text = StatusText(id, app_.computerName);
  // Only a change is written: the static repaints itself, and the dialog paints often.
  if (GetItemText(IDC_STATUS) != text) SetItemText(IDC_STATUS, text);
}

bool CSetupDlg::OnButtonClicked(unsigned id, HWND button) {
  RefreshStatus();
  switch (id) {
    case IDC_CONFIGURE:
      Configure();
      return true;
    case IDC_REMOVE:
      Remove();
      return true;
    case IDC_RELEASE_NOTES:
      ShowReleaseNotes(app_, installedInDialog_, window());
      return true;
    case IDC_START_STOP:
      StartStop();
      return true;
    default:  // Install (IDOK) and Exit (IDCANCEL)
      return CDialog::OnButtonClicked(id, button);
  }
}

void CSetupDlg::OnOK() { InstallCommand(); }

void CSetupDlg::Configure() {
  LSTATUS status = ERROR_SUCCESS;
  if (config::ConfigKey key = config::ConfigKey::Open(app_.versionKey, KEY_READ, &status)) {
    std::optional<std::wstring> profile = key.QueryText(config::kProfile, config::SettingOf(config::kProfile).maxChars);
    if (profile && !profile->empty() &&
        ui::ShowMessage(window(), FormatText(kSharedProfileWarning, profile->c_str()), MB_YESNO) != IDYES) {
      return;
    }
  }
  config::SetupHost host(app_.versionKey);
  config::ShowConfigurationSheet(window(), host, config::Target(), L"Lullan Configuration",
                                 config::SheetPages::Machine);
}

void CSetupDlg::InstallCommand() {
  INT_PTR type = IDCANCEL;
  if (CLicenceDlg().DoModal(window()) == IDYES) type = CInstallTypeDlg().DoModal(window());
  if (type != IDC_WORKSTATION && type != IDC_SERVER) {
    ui::ShowMessage(window(), FormatText(L"%s not installed.", kProductName));
    return;
  }
  app_.serverInstall = type == IDC_SERVER;
  bool completed = Install(app_, window());
  DeleteTempFiles(app_);
  if (completed) AfterInstallation();
}

void CSetupDlg::AfterInstallation() {
  installedInDialog_ = true;
  SetItemText(IDC_START_STOP, kStartCaption);
  ShowItem(IDC_START_STOP, true);
  SendItem(IDOK, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_RELEASE_NOTES)), TRUE);
  RefreshStatus();
}

void CSetupDlg::Remove() {
  ShowItem(IDC_START_STOP, false);
  Uninstall(app_, window());
  installedInDialog_ = false;
}

void CSetupDlg::StartStop() {
  std::wstring caption = GetItemText(IDC_START_STOP);
  std::wstring result = StartStopService(app_, caption, window());
  if (result != caption) SetItemText(IDC_START_STOP, result);
}

bool CSetupDlg::PaintMinimised() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(window(), &paint);
  RECT area;
  ::GetClientRect(window(), &area);
  int x = (area.right - area.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (area.bottom - area.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, bigIcon_.get());
  ::EndPaint(window(), &paint);
  return true;
}

bool CSetupDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
      CAboutDlg().DoModal(window());
      result = 0;
      return true;
    case WM_PAINT:
      RefreshStatus();
      return ::IsIconic(window()) && PaintMinimised();
    case WM_DESTROY:
      keyHook_.reset();
      tStatusDialog = nullptr;
      app_.mainWindow = nullptr;
      com_.Leave();
      return false;
    default:
      return false;
  }
}

}  // namespace lullan::setup
