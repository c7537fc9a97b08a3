#include "config_page.h"

#include "message_box.h"

namespace lullan::config {

bool CConfigPage::OnInitDialog() {
  keyPath_ = host_.KeyPath(target_);
  return OnInitPage();
}

int CConfigPage::Message(std::wstring_view text, UINT type) const { return ui::ShowMessage(window(), text, type); }

}  // namespace lullan::config
