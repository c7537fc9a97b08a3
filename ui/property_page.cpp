#include "property_page.h"

#include <exception>

#include "message_box.h"
#include "property_sheet.h"

namespace lullan::ui {

PROPSHEETPAGEW CPropertyPage::Describe() {
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_DEFAULT;
  page.hInstance = ::GetModuleHandleW(nullptr);
  page.pszTemplate = MAKEINTRESOURCEW(templateId());
  page.pfnDlgProc = &CPropertyPage::PageProc;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CPropertyPage* created = nullptr;
  if (message == WM_INITDIALOG) {
    created = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
    created->shown_ = true;
    if (created->sheet_) created->sheet_->PageCreated(window);
  }
  return Route(created, window, message, wParam, lParam);
}

void CPropertyPage::OnOK() { PropSheet_PressButton(SheetWindow(), PSBTN_OK); }

void CPropertyPage::OnCancel() { PropSheet_PressButton(SheetWindow(), PSBTN_CANCEL); }

bool CPropertyPage::Notify(NMHDR* header, LRESULT& result) {
  if (header->hwndFrom == SheetWindow()) {
    switch (header->code) {
      case PSN_SETACTIVE:
      case PSN_KILLACTIVE:
      case PSN_APPLY:
      case PSN_RESET:
        result = SheetNotification(header->code);
        return true;
      default:
        break;
    }
  }
  return CDialog::Notify(header, result);
}

LRESULT CPropertyPage::SheetNotification(UINT code) {
  try {
    switch (code) {
      case PSN_SETACTIVE:
        return OnSetActive() ? 0 : -1;
      case PSN_KILLACTIVE:
        return OnKillActive() ? FALSE : TRUE;
      case PSN_APPLY:
        if (!OnApply()) return PSNRET_INVALID;  // the sheet brings this page to the front
        ++applied_;
        if (sheet_) sheet_->PageApplied(*this);
        return PSNRET_NOERROR;
      default:
        OnReset();
        return 0;
    }
  } catch (const std::exception& e) {
    ShowUnexpectedError(window(), e.what());
  } catch (...) {
    ShowUnexpectedError(window(), nullptr);
  }
  // Half a write or half a check must not close the sheet as if all went well.
  switch (code) {
    case PSN_KILLACTIVE:
      return TRUE;
    case PSN_APPLY:
      return PSNRET_INVALID_NOCHANGEPAGE;
    default:
      return 0;
  }
}

}  // namespace lullan::ui
