#include "background_call.h"

#include <exception>

#include "own_thread.h"
#include "wait_cursor.h"

namespace lullan::tarnel {

void RunInBackground(HWND dialog, const std::function<void()>& work) {
  ui::WaitCursor wait;
  // A disabled window loses the keyboard focus; it goes back where it was.
  HWND focus = ::GetFocus();
  const bool wasEnabled = !::EnableWindow(dialog, FALSE);
  std::exception_ptr failure;
  try {
    ui::RunOnOwnThread(work);
  } catch (...) {
    failure = std::current_exception();
  }
  if (wasEnabled) ::EnableWindow(dialog, TRUE);
  if (focus && ::IsWindow(focus) && ::GetFocus() != focus) ::SetFocus(focus);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace lullan::tarnel
