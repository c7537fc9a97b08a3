// The General page: what happens to a user idle too long (the action and the
// idle minutes), the service's options, the logoff script, the log file and
// the daily logoff time. It is the first page of every configuration sheet.
//
// The page sets a value's change bit whenever its control changes; the
// console writes only the values whose bits are set, setup writes them all.
// The idle minutes, logoff script and log path edits report their own filling
// when the page opens, so in the console those three are always written once
// the page has been shown. The daily logoff time is not written here: its
// dialog ("Set") stores it at once.
#pragma once

#include <windows.h>

#include <string>

#include "action.h"
#include "config_page.h"

namespace lullan::config {

class CGeneralDlg final : public CConfigPage {
 public:
  CGeneralDlg(ConfigHost& host, Target target = {});

 private:
  // A check box and the member that holds its meaning as shown.
  struct Box {
    unsigned id;
    bool CGeneralDlg::*flag;
    const wchar_t* value;
  };
  static const Box kBoxes[];

  bool OnInitPage() override;
  bool OnCommand(unsigned code, unsigned id, HWND control) override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  bool OnApply() override;

  void Read(const ConfigKey& key);
  void FillControls();
  void OnIdleMinutesChanged();
  void OnBoxClicked(const Box& box);
  // The other of the two "Only logoff if" boxes is cleared when `id` is turned on.
  void ExcludeOther(unsigned id);
  void OnSetDailyTime();
  void ShowDailyTime();
  void Write(const ConfigKey& key, bool everything) const;

  DWORD idleMinutes_;
  Action action_ = Action::Logoff;
  std::wstring logoffScript_;
  std::wstring logDir_;
  bool forceExit_ = true;
  bool runScript_ = false;
  bool ignoreNet_ = false;
  bool hideTrayIcon_ = false;  // "Don't show icon in taskbar": UseTray inverted
  bool onlyIfLocked_ = false;
  bool onlyIfScreenSaver_ = false;
  bool useMutex_ = false;
  bool useLogFile_ = false;
  bool enableDailyLogoff_ = false;
  DWORD dailyTime_ = 0;  // the stored DailyLogoffTime, shown while daily logoff is on
};

}  // namespace lullan::config
