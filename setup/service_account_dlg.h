// "Set account to run Lullan service": the domain account, with
// administrator rights, under which the configuration monitor reads shared
// profiles from the profile server. OK stores "domain\user" and the password
// in the application when the account is an administrator and both
// passwords agree; an empty name stores nothing (shared profiles will not be
// used). Each field takes at most 63 characters, what the application keeps.
#pragma once

#include "dialog.h"

namespace lullan::setup {

class CSetupApp;

class CServiceAccountDlg final : public ui::CDialog {
 public:
  static constexpr size_t kMaxChars = 63;

  explicit CServiceAccountDlg(CSetupApp& app);

 private:
  bool OnInitDialog() override;
  void OnOK() override;

  CSetupApp& app_;
};

}  // namespace lullan::setup
