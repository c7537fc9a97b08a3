// The destination directory of an installation, with a Browse button; its OK
// button (drawn as the install icon) creates a missing directory when asked
// to, secures it (install_folder_security.h), makes it the installation
// directory and copies the product files there. The dialog ends with IDOK
// when the copy succeeded and IDCANCEL otherwise.
#pragma once

#include "dialog.h"
#include "ui_handles.h"

namespace lullan::setup {

class CSetupApp;

class CInstallDirDlg final : public ui::CDialog {
 public:
  explicit CInstallDirDlg(CSetupApp& app);

 private:
  bool OnInitDialog() override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  void OnOK() override;
  void Browse();

  CSetupApp& app_;
  unique_icon installIcon_;
};

}  // namespace lullan::setup
