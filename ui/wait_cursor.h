// The hourglass while a long step runs on the user-interface thread:
//
//   ui::WaitCursor wait;   // until the end of the scope
//
// The previous cursor comes back when the guard goes, whatever path leaves
// the scope.
#pragma once

#include <windows.h>

namespace lullan::ui {

class [[nodiscard]] WaitCursor {
 public:
  WaitCursor() noexcept : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace lullan::ui
