// "Set account to run Lullan service": the domain account, with
// administrator rights, under which the configuration monitor reads shared
// profiles from the profile server. OK stores "domain\user" and the password
// in the application when the account is an administrator and both
// passwords agree; an empty name stores nothing (shared profiles will not be
// used). Each field takes at most 63 characters, what the application keeps.
#pragma once

#include <string>

#include "dialog.h"

namespace lullan::setup {

class CSetupApp;

// The checks OK makes of an account name, shared with the quiet mode: the
// workstation's domain is put in front, the account must be an
// administrator and fit the 63 characters. Each refusal is told in a box
// owned by `owner`.
enum class AccountCheck {
  Accepted,  // `account` holds "domain\user" (or "user" without a domain)
  NoDomain,  // the workstation's domain could not be had: no account
  Refused,   // no administrator, or too long
};
AccountCheck CheckServiceAccount(CSetupApp& app, HWND owner, const std::wstring& name, std::wstring* account);

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
