#include "property_sheet.h"

#include "dialog.h"
#include "property_page.h"

namespace lullan::ui {

CPropertySheet::CPropertySheet(std::wstring caption, DWORD flags) : caption_(std::move(caption)), flags_(flags) {}

void CPropertySheet::AddPage(CPropertyPage& page) {
  page.sheet_ = this;
  pages_.push_back(&page);
}

INT_PTR CPropertySheet::DoModal(HWND owner, unsigned startPage) {
  InitCommonControlsOnce();
  std::vector<PROPSHEETPAGEW> described;
  described.reserve(pages_.size());
  for (CPropertyPage* page : pages_) described.push_back(page->Describe());

  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | flags_;
  header.hwndParent = owner;
  header.hInstance = ::GetModuleHandleW(nullptr);
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(described.size());
  header.nStartPage = startPage;
  header.ppsp = described.data();

  accepted_ = false;
  INT_PTR shown = ::PropertySheetW(&header);
  window_ = nullptr;
  if (shown < 0) return -1;
  return accepted_ ? IDOK : IDCANCEL;
}

void CPropertySheet::PageCreated(HWND page) { window_ = ::GetParent(page); }

void CPropertySheet::PageApplied(const CPropertyPage& page) {
  // The round of PSN_APPLY is complete when the last shown page has written.
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) {
    if ((*it)->window()) {
      accepted_ = *it == &page;
      return;
    }
  }
}

}  // namespace lullan::ui
