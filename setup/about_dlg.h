// The About box of the system menu: the product, its version and what it is.
#pragma once

#include "dialog.h"

namespace lullan::setup {

class CAboutDlg final : public ui::CDialog {
 public:
  CAboutDlg();

 private:
  bool OnInitDialog() override;
};

}  // namespace lullan::setup
