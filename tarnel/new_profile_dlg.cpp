#include "new_profile_dlg.h"

#include "message_box.h"
#include "resource.h"

namespace lullan::tarnel {

namespace {
constexpr wchar_t kBackslashRefused[] = L"A profile name cannot contain a backslash (\\).";
}  // namespace

CNewProfileDlg::CNewProfileDlg() : CDialog(IDD_NEW_PROFILE) {}

bool CNewProfileDlg::OnInitDialog() {
  LimitText(IDC_NEW_PROFILE_NAME, kMaxNameChars);
  return true;
}

void CNewProfileDlg::OnOK() {
  std::wstring name = GetItemText(IDC_NEW_PROFILE_NAME).substr(0, kMaxNameChars);
  // A backslash would create one key inside another, a profile the list
  // shows under its first part and Delete cannot remove.
  if (name.find(L'\\') != std::wstring::npos) {
    ui::ShowMessage(*this, kBackslashRefused);
    SetFocusTo(IDC_NEW_PROFILE_NAME);
    SelectAllText(IDC_NEW_PROFILE_NAME);
    return;
  }
  name_ = std::move(name);
  CDialog::OnOK();
}

}  // namespace lullan::tarnel
