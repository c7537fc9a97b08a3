#include "dialog.h"

#include <commctrl.h>

#include <exception>

#include "message_box.h"

namespace lullan::ui {

void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                                                    ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                                    ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    return ::InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

CDialog::~CDialog() {
  // A modeless window outliving its object would dispatch to freed memory.
  if (HWND open = window()) {
    ::SetWindowLongPtrW(open, DWLP_USER, 0);
    Detach();
    if (!modal_) ::DestroyWindow(open);
  }
}

INT_PTR CDialog::DoModal(HWND owner) {
  InitCommonControlsOnce();
  modal_ = true;
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HWND owner) {
  InitCommonControlsOnce();
  modal_ = false;
  return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, &CDialog::DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::Destroy() {
  if (window()) ::DestroyWindow(window());
}

bool CDialog::OnCommand(unsigned code, unsigned id, HWND control) {
  if (code == BN_CLICKED) return OnButtonClicked(id, control);
  return false;
}

bool CDialog::OnButtonClicked(unsigned id, HWND) {
  switch (id) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

void CDialog::OnOK() {
  if (modal_) {
    EndDialog(IDOK);
  } else {
    Destroy();
  }
}

void CDialog::OnCancel() {
  if (modal_) {
    EndDialog(IDCANCEL);
  } else {
    Destroy();
  }
}

bool CDialog::OnNotify(unsigned, NMHDR*, LRESULT&) { return false; }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

bool CDialog::Notify(NMHDR* header, LRESULT& result) {
  return OnNotify(static_cast<unsigned>(header->idFrom), header, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* created = message == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr;
  return Route(created, window, message, wParam, lParam);
}

INT_PTR CDialog::Route(CDialog* created, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  CDialog* self = created;
  if (self) {
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->Attach(window);
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;  // before WM_INITDIALOG (WM_SETFONT) or after WM_NCDESTROY
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, DWLP_USER, 0);
    self->Detach();
    return FALSE;
  }
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (const std::exception& e) {
    ShowUnexpectedError(window, e.what());
  } catch (...) {
    ShowUnexpectedError(window, nullptr);
  }
  return FALSE;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      return OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!Notify(reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
      // Set last: a box shown by the handler runs dialogs of its own that
      // would overwrite an earlier value.
      ::SetWindowLongPtrW(window(), DWLP_MSGRESULT, result);
      return TRUE;
    }
    default: {
      INT_PTR result = TRUE;
      return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
  }
}

}  // namespace lullan::ui
