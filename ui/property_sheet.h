// A modal property sheet over pages the caller owns. The property sheet
// control creates each page's window the first time the page is shown, so
// pages that were never shown have no window and take no part in OK.
//
//   CPropertySheet sheet(L"Lullan Configuration", PSH_NOAPPLYNOW);
//   sheet.AddPage(general);
//   sheet.AddPage(tuning);
//   if (sheet.DoModal(owner) == IDOK) ...
//
// DoModal answers IDOK when OK was pressed and every shown page wrote, and
// IDCANCEL otherwise; it does not rely on the control's own return value,
// which differs between versions of the common controls.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

namespace lullan::ui {

class CPropertyPage;

class CPropertySheet {
 public:
  // `flags` are added to the header flags (PSH_NOAPPLYNOW, PSH_NOCONTEXTHELP...).
  explicit CPropertySheet(std::wstring caption, DWORD flags = 0);
  virtual ~CPropertySheet() = default;
  CPropertySheet(const CPropertySheet&) = delete;
  CPropertySheet& operator=(const CPropertySheet&) = delete;

  // Pages in the order of their tabs; the page must outlive DoModal.
  void AddPage(CPropertyPage& page);
  size_t PageCount() const noexcept { return pages_.size(); }
  CPropertyPage& Page(size_t index) const { return *pages_.at(index); }

  // IDOK, IDCANCEL, or -1 when the sheet could not be created.
  INT_PTR DoModal(HWND owner, unsigned startPage = 0);

  // The sheet's window while it is open, else null.
  HWND window() const noexcept { return window_; }
  const std::wstring& caption() const noexcept { return caption_; }

 private:
  friend class CPropertyPage;
  void PageCreated(HWND page);
  void PageApplied(const CPropertyPage& page);

  std::wstring caption_;
  DWORD flags_;
  std::vector<CPropertyPage*> pages_;
  HWND window_ = nullptr;
  bool accepted_ = false;
};

}  // namespace lullan::ui
