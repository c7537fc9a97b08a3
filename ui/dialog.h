// The base of every dialog of the suite. A dialog class names its template
// and overrides what it handles; one static dialog procedure finds the object
// and dispatches:
//
//   WM_INITDIALOG  -> OnInitDialog()
//   WM_COMMAND     -> OnCommand(code, id, control); its default sends button
//                     clicks to OnButtonClicked(id), whose default sends IDOK
//                     to OnOK() and IDCANCEL to OnCancel(). Enter, Esc and the
//                     close box arrive here as IDOK and IDCANCEL.
//   WM_NOTIFY      -> OnNotify(id, header, result); `result` goes into
//                     DWLP_MSGRESULT just before the procedure returns
//   anything else  -> OnMessage(message, wParam, lParam, result)
//
// The object is found through DWLP_USER, set from WM_INITDIALOG's lParam
// (messages before it get FALSE) and cleared at WM_NCDESTROY. No exception
// leaves the procedure: a handler that throws has its command stopped with a
// message box, and the dialog goes on.
//
// Modal: DoModal() (DialogBoxParamW; OnOK/OnCancel end it with IDOK/IDCANCEL).
// Modeless: Create() (CreateDialogParamW; OnOK/OnCancel and Destroy() destroy
// the window; the object's destructor destroys a window still open).
// Templates come from the program's own module (resources are linked into the
// executable).
#pragma once

#include <windows.h>

#include "window.h"

namespace lullan::ui {

// Registers the common controls once per process; dialogs and sheets call it
// before they create windows.
void InitCommonControlsOnce();

class CDialog : public CWindow {
 public:
  explicit CDialog(unsigned templateId) noexcept : templateId_(templateId) {}
  ~CDialog() override;

  // Runs the dialog modally; the value passed to EndDialog, or -1 when the
  // dialog could not be created.
  INT_PTR DoModal(HWND owner);
  // Creates the dialog modeless (visible when its template says so).
  bool Create(HWND owner);
  void Destroy();
  void EndDialog(INT_PTR result) const { ::EndDialog(window(), result); }
  bool IsModal() const noexcept { return modal_; }
  unsigned templateId() const noexcept { return templateId_; }

 protected:
  // TRUE lets the dialog manager put the focus on the first control.
  virtual bool OnInitDialog() { return true; }
  virtual bool OnCommand(unsigned code, unsigned id, HWND control);
  virtual bool OnButtonClicked(unsigned id, HWND button);
  virtual void OnOK();
  virtual void OnCancel();
  virtual bool OnNotify(unsigned id, NMHDR* header, LRESULT& result);
  // Messages the other handlers do not cover. `result` is what the procedure
  // returns (TRUE unless the handler sets it, as WM_CTLCOLOR* handlers do).
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  // The procedure of a dialog whose WM_INITDIALOG lParam is not the object
  // itself (property pages): `created` is the object on WM_INITDIALOG, null
  // for every other message.
  static INT_PTR Route(CDialog* created, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  // WM_NOTIFY, before OnNotify: property pages take their sheet's
  // notifications here and pass the rest on.
  virtual bool Notify(NMHDR* header, LRESULT& result);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  unsigned templateId_;
  bool modal_ = false;
};

}  // namespace lullan::ui
