#include "window.h"

#include <utility>

#include "text_format.h"

namespace lullan::ui {

std::wstring WindowText(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

HWND CWindow::Detach() noexcept { return std::exchange(window_, nullptr); }

std::wstring CWindow::Text() const { return WindowText(window_); }

bool CWindow::SetText(std::wstring_view text) const {
  std::wstring terminated(text);
  return ::SetWindowTextW(window_, terminated.c_str()) != FALSE;
}

bool CWindow::SetItemText(unsigned id, std::wstring_view text) const {
  std::wstring terminated(text);
  return ::SetDlgItemTextW(window_, static_cast<int>(id), terminated.c_str()) != FALSE;
}

std::wstring CWindow::GetItemText(unsigned id) const { return WindowText(Item(id)); }

bool CWindow::SetItemNumber(unsigned id, unsigned long number) const {
  // FormatText, not std::to_wstring: the runtime's own formatting, which the
  // programs link anyway, rather than a second one with floating point.
  return SetItemText(id, FormatText(L"%lu", number));
}

}  // namespace lullan::ui
