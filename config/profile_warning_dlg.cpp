#include "profile_warning_dlg.h"

#include "resource.h"

namespace lullan::config {

std::wstring ProfileWarningText(const std::wstring& machine, const std::wstring& profile) {
  // Joined, not formatted: a name may hold any character, '%' included.
  return L"Machine '" + machine + L"' is using shared profile '" + profile + L"'. The profile overrides " + machine +
         L"'s custom configuration. It is recommended that you remove the shared profile from this machine if you "
         L"change its settings, or else edit profile '" +
         profile + L"' (the changes will then apply to all machines using this profile).";
}

CProfileWarningDlg::CProfileWarningDlg(std::wstring machine, std::wstring profile)
    : CDialog(IDD_PROFILE_WARNING), machine_(std::move(machine)), profile_(std::move(profile)) {}

bool CProfileWarningDlg::OnInitDialog() {
  SendItem(IDC_PROFILE_WARNING_ICON, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_WARNING)));
  SetItemText(IDC_PROFILE_WARNING_TEXT, ProfileWarningText(machine_, profile_));
  return true;
}

bool CProfileWarningDlg::OnButtonClicked(unsigned id, HWND button) {
  if (id == IDC_PROFILE_WARNING_CONTINUE || id == IDC_PROFILE_WARNING_EDIT_PROFILE) {
    EndDialog(id);
    return true;
  }
  return CDialog::OnButtonClicked(id, button);  // Cancel, Esc and the close box: 2
}

}  // namespace lullan::config
