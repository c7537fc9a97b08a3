// The licence agreement shown before anything is installed. Yes goes on with
// the installation; No, Escape or the close box end it.
#pragma once

#include "dialog.h"

namespace lullan::setup {

class CLicenceDlg final : public ui::CDialog {
 public:
  CLicenceDlg();

 private:
  bool OnInitDialog() override;
  bool OnButtonClicked(unsigned id, HWND button) override;
};

// The agreement's five paragraphs, as the dialog shows them.
extern const wchar_t kLicenceText[];

}  // namespace lullan::setup
