// The About box, CAboutDlg, opened from the system menu: the program icon,
// the product line, a line on what the console does, and OK.
#pragma once

#include "dialog.h"
#include "resource.h"

namespace lullan::tarnel {

class CAboutDlg : public ui::CDialog {
 public:
  CAboutDlg() noexcept : CDialog(IDD_ABOUTBOX) {}
};

}  // namespace lullan::tarnel
