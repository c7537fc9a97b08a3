#include "service_account_dlg.h"

#include <lm.h>

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

void CServiceAccountDlg::OnOK() {
  std::wstring name = GetItemText(IDC_ACCOUNT_NAME).substr(0, kMaxChars);
  if (name.empty()) {
    EndDialog(IDOK);
    return;
  }

  LPBYTE buffer = nullptr;
  NET_API_STATUS status = platform().domain->WkstaGetInfo(nullptr, 100, &buffer);
  unique_netapi_buffer info(buffer);
  if (status != NERR_Success || !info) {
    ui::ShowMessage(window(), L"NetWkstaGetInfo failed getting domain name");
    EndDialog(IDOK);
    return;
  }
  const wchar_t* group = as<const WKSTA_INFO_100>(info)->wki100_langroup;
  std::wstring domain = group ? group : L"";
  info.reset();

  if (!IsUserAdmin(app_, window(), name)) {
    ui::ShowMessage(window(), FormatText(L"Error: user %s doesn't have administrator rights.", name.c_str()));
    return;
  }
  std::wstring password = GetItemText(IDC_PASSWORD);
  if (password != GetItemText(IDC_REPEAT_PASSWORD)) {
    ui::ShowMessage(window(), L"Error: passwords don't match.");
    return;
  }
  std::wstring account = domain.empty() ? name : FormatText(L"%s\\%s", domain.c_str(), name.c_str());
  // "domain\user" can outgrow what the service control manager is given.
  if (account.size() > kMaxChars) {
    ui::ShowMessage(window(), FormatText(L"Error: the account name %s is longer than %u characters.", account.c_str(),
                                         static_cast<unsigned>(kMaxChars)));
    return;
  }
  app_.serviceAccount = std::move(account);
  app_.servicePassword = password.substr(0, kMaxChars);
  EndDialog(IDOK);
}

}  // namespace lullan::setup
