#include "configuration_sheet.h"

#include "notification_page.h"
#include "prop_sht.h"
#include "tuning_page.h"

namespace lullan::config {

INT_PTR ShowConfigurationSheet(HWND owner, ConfigHost& host, const Target& target, const std::wstring& caption,
                               SheetPages pages) {
  CPropSht sheet(host, target, caption);
  sheet.Add<CTuneDlg>();
  sheet.Add<CNotifyDlg>();
  (void)pages;
  return sheet.DoModal(owner);
}

}  // namespace lullan::config
