#include "install_type_dlg.h"

#include "resource.h"

namespace lullan::setup {

CInstallTypeDlg::CInstallTypeDlg() : CDialog(IDD_INSTALL_TYPE) {}

bool CInstallTypeDlg::OnButtonClicked(unsigned id, HWND button) {
  if (id == IDC_WORKSTATION || id == IDC_SERVER) {
    EndDialog(id);
    return true;
  }
  return CDialog::OnButtonClicked(id, button);
}

}  // namespace lullan::setup
