#include "countdown_dlg.h"

#include "text_format.h"

namespace lullan::engine {

namespace {

constexpr UINT_PTR kSecondTimer = 1;

}  // namespace

std::wstring CCountdownDlg::ActionText(Ending ending, DWORD secondsLeft) {
  const wchar_t* unit = secondsLeft == 1 ? L"second" : L"seconds";
  const unsigned long left = secondsLeft;
  switch (ending) {
    case Ending::kShutDown:
      return FormatText(L"This computer will be shut down in %lu %s.", left, unit);
    case Ending::kReboot:
      return FormatText(L"This computer will be restarted in %lu %s.", left, unit);
    case Ending::kLogOff:
      break;
  }
  return FormatText(L"You will be logged off in %lu %s.", left, unit);
}

bool CCountdownDlg::OnInitDialog() {
  ::SendDlgItemMessageW(window(), IDC_COUNTDOWN_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_WARNING)), 0);
  ::SetDlgItemTextW(window(), IDC_COUNTDOWN_WHY, (L"Reason: " + countdown_.why + L".").c_str());
  ::SetDlgItemTextW(window(), IDC_COUNTDOWN_MESSAGE, countdown_.message.c_str());
  started_ = ::GetTickCount();
  ShowSecondsLeft();
  ::SetTimer(window(), kSecondTimer, 1000, nullptr);
  HWND cancel = ::GetDlgItem(window(), IDCANCEL);
  if (!countdown_.userMayCancel) {
    // Nothing to press, and nothing that closes it.
    ::ShowWindow(cancel, SW_HIDE);
    ::EnableWindow(cancel, FALSE);
  }
  // Above every window, full-screen ones included, and in front.
  ::SetWindowPos(window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  ::SetForegroundWindow(window());
  if (countdown_.userMayCancel) {
    ::SetFocus(cancel);
    return false;
  }
  return true;
}

void CCountdownDlg::ShowSecondsLeft() {
  DWORD elapsed = (::GetTickCount() - started_) / 1000;
  DWORD left = elapsed < countdown_.seconds ? countdown_.seconds - elapsed : 0;
  ::SetDlgItemTextW(window(), IDC_COUNTDOWN_ACTION, ActionText(countdown_.ending, left).c_str());
  if (left == 0) Destroy();  // the service acts now
}

void CCountdownDlg::OnCancel() {
  // Esc and Alt+F4 arrive here too: they end the countdown only where Cancel may.
  if (!countdown_.userMayCancel) return;
  if (cancelled_) cancelled_();
  Destroy();
}

bool CCountdownDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kSecondTimer) return false;
      ShowSecondsLeft();
      return true;
    case WM_DESTROY:
      ::KillTimer(window(), kSecondTimer);
      return false;
    default:
      return false;
  }
}

}  // namespace lullan::engine
