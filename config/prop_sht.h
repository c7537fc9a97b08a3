// The configuration sheet: the modal property sheet in which the pages of one
// target are shown together. It shows OK and Cancel only (no Apply, no Help,
// no page reports itself modified), starts on its first page (General, by the
// order the openers add them in) and creates each page's window the first
// time the page is shown. OK asks the current page whether it may be left,
// then every page that was shown writes, in page order; pages never shown
// write nothing. Cancel writes nothing through the pages.
//
//   CPropSht sheet(host, Target::Machine(L"PC-017"), L"Configuration for PC-017");
//   sheet.Add<CGeneralDlg>();
//   sheet.Add<CTuneDlg>();
//   if (sheet.DoModal(owner) == IDOK) ...   // the console copies back what the masks name
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config_host.h"
#include "config_page.h"
#include "property_sheet.h"
#include "target.h"

namespace lullan::config {

class CPropSht : public ui::CPropertySheet {
 public:
  CPropSht(ConfigHost& host, Target target, std::wstring caption);

  // Makes the next page on the sheet's host and target; the sheet owns it.
  template <typename Page, typename... Args>
  Page& Add(Args&&... args) {
    auto page = std::make_unique<Page>(host_, target_, std::forward<Args>(args)...);
    Page& added = *page;
    AddPage(added);
    pages_.push_back(std::move(page));
    return added;
  }

  ConfigHost& host() const noexcept { return host_; }
  const Target& target() const noexcept { return target_; }

 private:
  ConfigHost& host_;
  Target target_;
  std::vector<std::unique_ptr<CConfigPage>> pages_;
};

}  // namespace lullan::config
