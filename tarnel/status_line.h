// The console's status line: the one pane of the main dialog's status bar.
// A text goes out at once, and the bar repaints, so that progress shows while
// an operation runs on the user-interface thread. The scan's progress goes
// out at most ten times a second: in a domain of thousands of computers a
// count that comes sooner waits, and gives way to a later count or to any
// other text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace lullan::tarnel {

class StatusLine {
 public:
  // The bar, and the window whose timer `timerId` brings a waiting count
  // out (its WM_TIMER calls OnTimer).
  void Attach(HWND bar, HWND owner, UINT_PTR timerId) noexcept;

  // At once; a waiting count is dropped.
  void Show(std::wstring_view text);
  // A scan's count; the first of each scan goes out at once.
  void ShowProgress(std::wstring text);
  void StartScan() noexcept { shownAt_.reset(); }
  void OnTimer();

 private:
  void Put(std::wstring_view text);
  void StopWaiting() noexcept;

  HWND bar_ = nullptr;
  HWND owner_ = nullptr;
  UINT_PTR timerId_ = 0;
  std::optional<DWORD> shownAt_;  // when the last count went out
  std::optional<std::wstring> waiting_;
};

}  // namespace lullan::tarnel
