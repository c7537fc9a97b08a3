#include "about_dlg.h"

#include "product.h"
#include "resource.h"
#include "setup_site.h"
#include "text_format.h"

namespace lullan::setup {

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
  SetText(FormatText(L"About %s %s", kProductName, kVersionName));
  SetItemText(IDC_ABOUT_VERSION, FormatText(L"%s version %s SR2", kProductName, kVersionName));
  return true;
}

}  // namespace lullan::setup
