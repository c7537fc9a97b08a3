// A thin wrapper over a window handle that it does not own: it names what a
// dialog does with its controls in one line each. Copying is not allowed (two
// wrappers attached to one dialog would be a surprise); a window created in
// code is owned by unique_window (ui_handles.h), never by a CWindow.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace lullan::ui {

class CWindow {
 public:
  CWindow() = default;
  explicit CWindow(HWND window) noexcept : window_(window) {}
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;
  virtual ~CWindow() = default;

  operator HWND() const noexcept { return window_; }
  HWND window() const noexcept { return window_; }
  void Attach(HWND window) noexcept { window_ = window; }
  HWND Detach() noexcept;

  // The window itself.
  std::wstring Text() const;
  bool SetText(std::wstring_view text) const;
  bool Enable(bool enable) const { return ::EnableWindow(window_, enable) != 0; }
  bool IsEnabled() const { return ::IsWindowEnabled(window_) != FALSE; }
  bool Show(int command) const { return ::ShowWindow(window_, command) != FALSE; }
  bool IsVisible() const { return ::IsWindowVisible(window_) != FALSE; }
  HWND Parent() const { return ::GetParent(window_); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageW(window_, message, wParam, lParam);
  }
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageW(window_, message, wParam, lParam) != FALSE;
  }

  // Its controls, by their unsigned identifiers.
  HWND Item(unsigned id) const { return ::GetDlgItem(window_, static_cast<int>(id)); }
  LRESULT SendItem(unsigned id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageW(window_, static_cast<int>(id), message, wParam, lParam);
  }
  bool EnableItem(unsigned id, bool enable) const { return ::EnableWindow(Item(id), enable) != 0; }
  bool IsItemEnabled(unsigned id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
  bool ShowItem(unsigned id, bool show) const { return ::ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE) != FALSE; }
  bool SetItemText(unsigned id, std::wstring_view text) const;
  std::wstring GetItemText(unsigned id) const;
  bool SetItemNumber(unsigned id, unsigned long number) const;
  bool CheckButton(unsigned id, bool check) const {
    return ::CheckDlgButton(window_, static_cast<int>(id), check ? BST_CHECKED : BST_UNCHECKED) != FALSE;
  }
  bool IsButtonChecked(unsigned id) const { return ::IsDlgButtonChecked(window_, static_cast<int>(id)) == BST_CHECKED; }
  // Checks `id` and clears the other radios from `first` to `last`.
  bool CheckRadio(unsigned first, unsigned last, unsigned id) const {
    return ::CheckRadioButton(window_, static_cast<int>(first), static_cast<int>(last), static_cast<int>(id)) != FALSE;
  }
  bool SetFocusTo(unsigned id) const { return ::SetFocus(Item(id)) != nullptr; }
  // Edits: the longest text the user can type or paste, read-only, selection.
  void LimitText(unsigned id, size_t maxChars) const { SendItem(id, EM_LIMITTEXT, maxChars); }
  bool SetReadOnly(unsigned id, bool readOnly) const { return SendItem(id, EM_SETREADONLY, readOnly) != 0; }
  void SelectAllText(unsigned id) const { SendItem(id, EM_SETSEL, 0, -1); }

 private:
  HWND window_ = nullptr;
};

// The text of any window, of any length.
std::wstring WindowText(HWND window);

}  // namespace lullan::ui
