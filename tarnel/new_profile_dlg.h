// The name of a new shared profile, CNewProfileDlg: one edit, OK and Cancel.
// The name becomes a registry key below the console's "Profiles" key, so it
// holds at most 63 characters and no backslash (which would make it a path
// of nested keys).
//
//   CNewProfileDlg ask;
//   if (ask.DoModal(owner) == IDOK && !ask.name().empty()) ...
#pragma once

#include <string>

#include "dialog.h"

namespace lullan::tarnel {

class CNewProfileDlg : public ui::CDialog {
 public:
  static constexpr size_t kMaxNameChars = 63;

  CNewProfileDlg();

  // What OK took from the edit; empty after Cancel.
  const std::wstring& name() const noexcept { return name_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  std::wstring name_;
};

}  // namespace lullan::tarnel
