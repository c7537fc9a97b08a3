// The Notification page: how the user is told that a logoff is under way (a
// countdown with an optional message and an optional cancel button) and the
// WAV file played at logoff.
//
// Play plays the WAV file; one read from a machine's copy in the console is
// played only when its path can name nothing but a file of this computer (no
// UNC or device path): the machine's registry is not the console's to trust.
//
// The countdown and the WAV path are checked when their edit loses the focus,
// and again when the page is left or confirmed with the focus still in one.
// A refused entry brings a message box and puts the user back into the edit
// with its text selected. The check runs once the focus has settled (it is
// posted), and not at all when the focus went to Cancel, out of the sheet or
// (from the WAV path) to "...", so Cancel always closes the sheet, a box
// never provokes a second one, and two refused edits never pass the focus
// back and forth.
#pragma once

#include <windows.h>

#include <string>

#include "config_page.h"
#include "ui_handles.h"

namespace lullan::config {

class CNotifyDlg final : public CConfigPage {
 public:
  CNotifyDlg(ConfigHost& host, Target target = {});

 private:
  bool OnInitPage() override;
  bool OnCommand(unsigned code, unsigned id, HWND control) override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool OnKillActive() override;
  bool OnApply() override;

  // "Display countdown at logoff" and the three controls that depend on it.
  void ShowCountdown(bool on);
  void ChooseWavFile();
  void PlayWavFile() const;
  void ShowWavFile(std::wstring path);
  void EnablePlay();  // there is a WAV file to play

  // The edits' checks: true when the text is taken, false when it was
  // refused (after the message; the user is back in the edit).
  void CheckAfterFocusLoss(unsigned id);
  bool TakeCountdown(bool onFocusLoss);
  bool TakeWavFile();
  bool Refuse(unsigned id, const std::wstring& message);

  bool useCountdown_ = false;  // UseCancelDlg
  DWORD countdown_ = 10;       // CountdownSeconds; 0 once the edit was emptied
  std::wstring customMessage_;
  bool userCancel_ = false;  // EnableUserCancel
  std::wstring wavFile_;     // the accepted path, empty for none (then PlaySound is 0)
  // wavFile_ is a machine's, read from its copy in the console: Play opens it
  // only when it can name nothing but a file of this computer.
  bool wavFileFromMachine_ = false;
  unique_bitmap playImage_;  // the play button's, enabled and disabled
  unique_bitmap disabledPlayImage_;

  // A check is showing its box or putting the focus back: the focus changes
  // that causes are no user leaving an edit.
  bool checking_ = false;
};

}  // namespace lullan::config
