// The group properties dialog: how one or several monitored groups are
// logged off, after so many idle minutes or at a time of day. The Groups
// page opens it with the names, the kind and the presets, and takes the
// kind, the minutes and the packed time back after OK.
//
// A clock time has to be picked with "Set" (the daily logoff time dialog)
// before OK is accepted; the time edit only shows what was picked. A minutes
// value of 0 passes here: the page refuses it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "config_host.h"
#include "dialog.h"
#include "group_values.h"
#include "target.h"

namespace lullan::config {

class CGroupPropsDlg final : public ui::CDialog {
 public:
  // `names` are the groups being set, comma-separated; `minutesText` fills
  // the minutes edit (empty when the groups had different values).
  CGroupPropsDlg(ConfigHost& host, Target target, std::wstring names, GroupKind kind, std::wstring minutesText,
                 DWORD packedTime);

  // Valid after DoModal returned IDOK.
  GroupKind kind() const noexcept { return kind_; }
  long minutes() const noexcept { return minutes_; }
  DWORD packedTime() const noexcept { return packedTime_; }

 private:
  bool OnInitDialog() override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  void OnOK() override;
  void ChooseMinutes();
  void ChooseClockTime();
  void PickTime();
  void RefuseMinutes(std::wstring_view message);

  ConfigHost& host_;
  Target target_;
  std::wstring names_;
  GroupKind kind_;
  std::wstring minutesText_;
  long minutes_ = 0;
  DWORD packedTime_;
};

// What "%d" makes of the text: the leading whole number after any blanks,
// with its sign; nullopt when there is none. A number too big for a long is
// the largest (or smallest) long, which no range accepts.
std::optional<long> ScanWholeNumber(std::wstring_view text);

}  // namespace lullan::config
