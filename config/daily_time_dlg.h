// The daily logoff time dialog ("Set Daily Logoff Time:"): hour, minute and
// A.M./P.M. of one time of day, handed back packed.
//
// Page mode (the General page's "Set"): the dialog shows the target key's
// DailyLogoffTime and, when confirmed, writes the new time there at once (a
// write the sheet's Cancel does not undo) and marks it changed in the
// console. Group mode (the group properties dialog): the dialog writes
// nothing; the caller takes packedTime(). In group mode the console starts
// from 12:00 AM, setup from the version key's DailyLogoffTime.
//
//   CDailyTimeDlg dialog(host, target, DailyTimeMode::Group);
//   if (dialog.DoModal(owner) == IDOK) time = dialog.packedTime();
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "config_host.h"
#include "dialog.h"
#include "target.h"

namespace lullan::config {

enum class DailyTimeMode { Page, Group };

class CDailyTimeDlg : public ui::CDialog {
 public:
  CDailyTimeDlg(ConfigHost& host, Target target, DailyTimeMode mode);

  // The chosen time, valid after DoModal returned IDOK.
  DWORD packedTime() const noexcept { return packedTime_; }

 private:
  bool OnInitDialog() override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  void OnOK() override;

  DWORD StoredTime();
  // The edit's whole text as an integer from `low` to `high`; otherwise the
  // range message is shown, the edit gets the focus, and nullopt.
  std::optional<unsigned> TakeNumber(unsigned id, unsigned low, unsigned high);
  bool WriteTime();

  ConfigHost& host_;
  Target target_;
  DailyTimeMode mode_;
  std::wstring keyPath_;
  unsigned hour_ = 12;  // 1 to 12, as shown
  unsigned minute_ = 0;
  bool pm_ = false;
  DWORD packedTime_ = 0;
};

// The packed time of a 12-hour time: P.M. adds 12 unless the hour is 12,
// A.M. turns 12 into 0.
DWORD PackTwelveHourTime(unsigned hour, unsigned minute, bool pm);

}  // namespace lullan::config
