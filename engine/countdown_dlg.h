// The countdown the agent shows its user before the service acts: topmost,
// above full-screen programs, it says what will happen, why, the
// administrator's CustomMessage, and the seconds left, counted down every
// second. With EnableUserCancel it has a Cancel button, which has the focus;
// without it, Esc, Alt+F4 and Enter do nothing. The window closes itself at
// 0 (the service acts then) or when the service says the countdown ended.
#pragma once

#include <windows.h>

#include <functional>

#include "dialog.h"
#include "pipe_protocol.h"
#include "resource.h"

namespace lullan::engine {

class CCountdownDlg final : public ui::CDialog {
 public:
  // `cancelled` runs when the user presses Cancel.
  CCountdownDlg(Countdown countdown, std::function<void()> cancelled)
      : CDialog(IDD_COUNTDOWN), countdown_(std::move(countdown)), cancelled_(std::move(cancelled)) {}

  // "You will be logged off in 9 seconds."
  static std::wstring ActionText(Ending ending, DWORD secondsLeft);

 protected:
  bool OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void ShowSecondsLeft();

  Countdown countdown_;
  std::function<void()> cancelled_;
  DWORD started_ = 0;
};

}  // namespace lullan::engine
