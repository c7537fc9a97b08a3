// The modeless "Progress:" window that installation and removal show while
// they work: the current step's text over a bar of four steps. It cannot be
// dismissed (Enter and Escape do nothing) and it does not take the
// activation from the main dialog; the procedure that made it destroys it
// before its final message.
//
//   CProgressDlg progress;
//   progress.Open(mainWindow, L"Checking SCM");
//   progress.Step(L"Removing registry entries");   // text, and one step on
//   progress.Close();
#pragma once

#include <string_view>

#include "dialog.h"

namespace lullan::setup {

class CProgressDlg final : public ui::CDialog {
 public:
  static constexpr int kSteps = 4;

  CProgressDlg();
  // Creates the window with `text`, the bar at 0 of 0-4, and shows it.
  bool Open(HWND owner, std::wstring_view text);
  // Shows `text` and moves the bar one step on.
  void Step(std::wstring_view text);
  // Shows `text` and leaves the bar where it is.
  void SetText(std::wstring_view text);
  void Close() { Destroy(); }

 private:
  // Nothing takes the focus: the dialog manager would activate the window for it.
  bool OnInitDialog() override { return false; }
  void OnOK() override {}
  void OnCancel() override {}
};

}  // namespace lullan::setup
