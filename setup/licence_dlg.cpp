#include "licence_dlg.h"

#include "resource.h"

namespace lullan::setup {

const wchar_t kLicenceText[] =
    L"1. Licence. Fennick Software grants you a non-exclusive licence to install Lullan on the workstations and "
    L"profile servers of the organisation that acquired it, up to the number of workstations stated on its order, "
    L"and to make copies of the installation folder for that purpose only.\r\n\r\n"
    L"2. Ownership. Lullan and its documentation remain the property of Fennick Software. You may not sell, rent or "
    L"lend them, nor remove the notices they carry, nor take the programs apart except where the law of your "
    L"country allows it in spite of this agreement.\r\n\r\n"
    L"3. Your responsibility. Lullan ends idle sessions, shuts computers down and restarts them as it is "
    L"configured to do. Work left unsaved in a session it ends can be lost. You are responsible for choosing "
    L"settings that suit the people who use your workstations, and for telling them how Lullan is set up.\r\n\r\n"
    L"4. No warranty. Lullan is provided as it is. Fennick Software makes no promise that it is free of faults or "
    L"fit for a particular purpose, and is not liable for lost work, lost data or lost time arising from its use, "
    L"beyond the price paid for the licence.\r\n\r\n"
    L"5. Term. This licence lasts until you remove Lullan from every computer of your organisation, or until you "
    L"break one of its terms. When it ends, remove Lullan and destroy the copies of its installation folder.";

CLicenceDlg::CLicenceDlg() : CDialog(IDD_LICENCE) {}

bool CLicenceDlg::OnInitDialog() {
  SetItemText(IDC_LICENCE_TEXT, kLicenceText);
  // The agreement is read first; Yes is one Tab away.
  SetFocusTo(IDC_LICENCE_TEXT);
  SendItem(IDC_LICENCE_TEXT, EM_SETSEL, 0, 0);
  return false;
}

bool CLicenceDlg::OnButtonClicked(unsigned id, HWND button) {
  if (id == IDYES || id == IDNO) {
    EndDialog(id);
    return true;
  }
  return CDialog::OnButtonClicked(id, button);
}

}  // namespace lullan::setup
