#include "configuration_sheet.h"

#include "general_page.h"
#include "groups_page.h"
#include "notification_page.h"
#include "profile_page.h"
#include "prop_sht.h"
#include "tuning_page.h"

namespace lullan::config {

INT_PTR ShowConfigurationSheet(HWND owner, ConfigHost& host, const Target& target, const std::wstring& caption,
                               SheetPages pages) {
  CPropSht sheet(host, target, caption);
  sheet.Add<CGeneralDlg>();
  sheet.Add<CGroupsDlg>();
  sheet.Add<CTuneDlg>();
  sheet.Add<CNotifyDlg>();
  if (pages == SheetPages::Machine) sheet.Add<CServerDlg>();
  return sheet.DoModal(owner);
}

}  // namespace lullan::config
