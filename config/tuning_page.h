// The Tuning page: what the idle-logoff service counts as user activity
// (Explorer sensitivity, programs to ignore, the network threshold, kernel
// activity, mouse movement). It reacts to no control while it is shown: it
// reads when first shown and takes the controls when it is left or confirmed.
#pragma once

#include <string>

#include "config_page.h"
#include "leading_number.h"  // what is stored of the threshold text

namespace lullan::config {

class CTuneDlg final : public CConfigPage {
 public:
  CTuneDlg(ConfigHost& host, Target target = {});

 private:
  bool OnInitPage() override;
  bool OnKillActive() override;
  bool OnApply() override;
  void TakeControls();

  int sensitivity_ = 2;        // trackbar position, 0 (Low) to 3 (High)
  std::wstring excludeFiles_;  // comma-separated .EXE names, of any length
  std::wstring threshold_;     // NetBytesSec as the user typed it
  bool ignoreKernel_ = false;
  bool monitorMouse_ = false;
};

}  // namespace lullan::config
