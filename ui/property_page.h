// The base of a property page. The sheet creates a page's window the first
// time the page is shown; a page never shown has no window, no controls and
// gets no PSN_* notification at all. Each page therefore keeps its values in
// its own object, loaded before the sheet opens or when it is first shown,
// and never reads another page's controls.
//
// The sheet's notifications go to virtuals whose answer the base puts into
// DWLP_MSGRESULT just before the procedure returns:
//
//   PSN_SETACTIVE   OnSetActive()   false: the page refuses to be shown
//   PSN_KILLACTIVE  OnKillActive()  false: the user stays on the page; the
//                                   sheet asks the current page this before
//                                   OK too, so a refusal here keeps the sheet
//                                   open with nothing written
//   PSN_APPLY       OnApply()       the page writes; false keeps the sheet
//                                   open on this page
//   PSN_RESET       OnReset()       the sheet was cancelled
//
// OnApply runs for every page that has been shown, in page order, after the
// current page has agreed to be left. A handler of the last two that throws
// is reported and keeps the sheet open; the user can still cancel.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "dialog.h"

namespace lullan::ui {

class CPropertySheet;

class CPropertyPage : public CDialog {
 public:
  // The tab shows the caption of the page's dialog template.
  explicit CPropertyPage(unsigned templateId) noexcept : CDialog(templateId) {}

  // The page as the sheet takes it (the sheet copies the structure).
  PROPSHEETPAGEW Describe();
  // True once the page's window has been created, for the rest of the
  // object's life.
  bool WasShown() const noexcept { return shown_; }
  // How often the page has written (OnApply accepted).
  int AppliedCount() const noexcept { return applied_; }

 protected:
  virtual bool OnSetActive() { return true; }
  virtual bool OnKillActive() { return true; }
  virtual bool OnApply() { return true; }
  virtual void OnReset() {}

  // IDOK and IDCANCEL reach a page only from its own controls (a multi-line
  // edit's Esc); they act on the sheet, never end the page's own window.
  void OnOK() override;
  void OnCancel() override;

  HWND SheetWindow() const { return Parent(); }

 private:
  friend class CPropertySheet;
  static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Notify(NMHDR* header, LRESULT& result) override;
  LRESULT SheetNotification(UINT code);

  CPropertySheet* sheet_ = nullptr;
  bool shown_ = false;
  int applied_ = 0;
};

}  // namespace lullan::ui
