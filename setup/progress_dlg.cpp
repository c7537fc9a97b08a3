#include "progress_dlg.h"

#include "controls.h"
#include "message_box.h"
#include "resource.h"

namespace lullan::setup {

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS) {}

bool CProgressDlg::Open(HWND owner, std::wstring_view text) {
  // Without windows (quiet mode) the steps are told to the message sink.
  if (ui::MessageSink* sink = ui::CurrentMessageSink()) {
    sink->Note(text);
    return true;
  }
  if (!Create(owner)) return false;
  ui::CProgressBar bar(Item(IDC_PROGRESS_BAR));
  bar.SetRange(0, kSteps);
  bar.SetPos(0);
  SetText(text);
  Show(SW_SHOWNOACTIVATE);
  ::UpdateWindow(window());
  return true;
}

void CProgressDlg::SetText(std::wstring_view text) {
  if (ui::MessageSink* sink = ui::CurrentMessageSink()) sink->Note(text);
  if (!window()) return;
  SetItemText(IDC_PROGRESS_TEXT, text);
  // The work goes on without a message loop: paint now, or nothing is seen.
  ::UpdateWindow(Item(IDC_PROGRESS_TEXT));
}

void CProgressDlg::Step(std::wstring_view text) {
  SetText(text);
  if (!window()) return;
  ui::CProgressBar bar(Item(IDC_PROGRESS_BAR));
  bar.DeltaPos(1);
  ::UpdateWindow(bar);
}

}  // namespace lullan::setup
