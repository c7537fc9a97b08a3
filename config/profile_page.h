// The Profile page: ties a machine to a shared profile on a profile server
// (the values Profile and PLS). It is the last page of a machine's sheet.
//
// A profile without a server cannot be assigned: the page refuses to be left
// (and the sheet to close with OK) in that state. In the console the page
// marks both values changed when either differs from what it loaded, so the
// console copies the pair back together; setup writes both and stamps the
// assignment (ProfileLastChanged), as the console does when it assigns one.
//
// On a shared profile (the console's "Edit Profile") there is nothing to
// assign: a profile key holds no assignment. The page then only names the
// profile being edited, read-only, and writes nothing.
#pragma once

#include <string>

#include "config_page.h"

namespace lullan::config {

class CServerDlg final : public CConfigPage {
 public:
  CServerDlg(ConfigHost& host, Target target = {});

 private:
  bool OnInitPage() override;
  bool OnKillActive() override;
  bool OnApply() override;
  void TakeControls();

  bool profileTarget_ = false;  // the sheet edits a shared profile
  std::wstring profile_;
  std::wstring server_;
  std::wstring loadedProfile_;
  std::wstring loadedServer_;
};

}  // namespace lullan::config
