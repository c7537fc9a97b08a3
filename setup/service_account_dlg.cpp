#include "service_account_dlg.h"

#include <lm.h>

#include <optional>

#include "domain_checks.h"
#include "handles.h"
#include "message_box.h"
#include "platform.h"
#include "resource.h"
#include "setup_app.h"
#include "text_format.h"

namespace lullan::setup {

CServiceAccountDlg::CServiceAccountDlg(CSetupApp& app) : CDialog(IDD_SERVICE_ACCOUNT), app_(app) {}

bool CServiceAccountDlg::OnInitDialog() {
  LimitText(IDC_ACCOUNT_NAME, kMaxChars);
  LimitText(IDC_PASSWORD, kMaxChars);
  LimitText(IDC_REPEAT_PASSWORD, kMaxChars);
  return true;
}

namespace {

// The workstation's domain (LAN group); nothing when it cannot be had.
std::optional<std::wstring> WorkstationDomain() {
  LPBYTE buffer = nullptr;
  NET_API_STATUS status = platform().domain->WkstaGetInfo(nullptr, 100, &buffer);
  unique_netapi_buffer info(buffer);
  if (status != NERR_Success || !info) return std::nullopt;
  const wchar_t* group = as<const WKSTA_INFO_100>(info)->wki100_langroup;
  return std::wstring(group ? group : L"");
}

}  // namespace

AccountCheck CheckServiceAccount(CSetupApp& app, HWND owner, const std::wstring& name, std::wstring* account) {
  // "domain\user" names its domain itself; a bare name gets the workstation's.
  std::wstring qualified = name;
  std::wstring user = name;
  if (size_t slash = name.find(L'\\'); slash != std::wstring::npos) {
    user = name.substr(slash + 1);
  } else {
    std::optional<std::wstring> domain = WorkstationDomain();
    if (!domain) {
      ui::ShowMessage(owner, L"NetWkstaGetInfo failed getting domain name");
      return AccountCheck::NoDomain;
    }
    if (!domain->empty()) qualified = FormatText(L"%s\\%s", domain->c_str(), name.c_str());
  }
  if (!IsUserAdmin(app, owner, user)) {
    ui::ShowMessage(owner, FormatText(L"Error: user %s doesn't have administrator rights.", user.c_str()));
    return AccountCheck::Refused;
  }
  // "domain\user" can outgrow what the service control manager is given.
  if (qualified.size() > CServiceAccountDlg::kMaxChars) {
    ui::ShowMessage(owner, FormatText(L"Error: the account name %s is longer than %u characters.", qualified.c_str(),
                                      static_cast<unsigned>(CServiceAccountDlg::kMaxChars)));
    return AccountCheck::Refused;
  }
  *account = std::move(qualified);
  return AccountCheck::Accepted;
}

void CServiceAccountDlg::OnOK() {
  std::wstring name = GetItemText(IDC_ACCOUNT_NAME).substr(0, kMaxChars);
  if (name.empty()) {
    EndDialog(IDOK);
    return;
  }
  std::wstring account;
  switch (CheckServiceAccount(app_, window(), name, &account)) {
    case AccountCheck::NoDomain:
      EndDialog(IDOK);
      return;
    case AccountCheck::Refused:
      return;
    case AccountCheck::Accepted:
      break;
  }
  std::wstring password = GetItemText(IDC_PASSWORD);
  if (password != GetItemText(IDC_REPEAT_PASSWORD)) {
    ui::ShowMessage(window(), L"Error: passwords don't match.");
    return;
  }
  app_.serviceAccount = std::move(account);
  app_.servicePassword = password.substr(0, kMaxChars);
  EndDialog(IDOK);
}

}  // namespace lullan::setup
