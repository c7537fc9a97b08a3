// "Select installation type:": a workstation service or a Lullan Server (a
// profile server, which also runs the server control panel). The dialog
// ends with IDC_WORKSTATION, IDC_SERVER or IDCANCEL.
#pragma once

#include "dialog.h"

namespace lullan::setup {

class CInstallTypeDlg final : public ui::CDialog {
 public:
  CInstallTypeDlg();

 private:
  bool OnButtonClicked(unsigned id, HWND button) override;
};

}  // namespace lullan::setup
