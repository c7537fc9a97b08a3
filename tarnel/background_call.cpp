#include "background_call.h"

#include <process.h>

#include <exception>
#include <optional>

#include "handles.h"
#include "wait_cursor.h"

namespace lullan::tarnel {

namespace {

struct Job {
  const std::function<void()>& work;
  std::exception_ptr failure;
};

unsigned __stdcall RunJob(void* context) noexcept {
  Job& job = *static_cast<Job*>(context);
  try {
    job.work();
  } catch (...) {
    job.failure = std::current_exception();
  }
  return 0;
}

// Dispatches this thread's messages until `thread` has ended. A WM_QUIT
// met on the way is posted again for the loop it was meant for.
void DispatchUntilEnded(HANDLE thread) {
  std::optional<WPARAM> quit;
  for (;;) {
    DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) break;
    if (woken != WAIT_OBJECT_0 + 1) {  // the wait itself failed: wait without messages
      ::WaitForSingleObject(thread, INFINITE);
      break;
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = message.wParam;
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  if (quit) ::PostQuitMessage(static_cast<int>(*quit));
}

}  // namespace

void RunInBackground(HWND dialog, const std::function<void()>& work) {
  Job job{work, nullptr};
  unique_handle thread(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &RunJob, &job, 0, nullptr)));
  if (!thread) {
    work();  // no thread to be had: the work runs here, and the dialog waits for it
    return;
  }
  ui::WaitCursor wait;
  // A disabled window loses the keyboard focus; it goes back where it was.
  HWND focus = ::GetFocus();
  const bool wasEnabled = !::EnableWindow(dialog, FALSE);
  DispatchUntilEnded(thread.get());
  if (wasEnabled) ::EnableWindow(dialog, TRUE);
  if (focus && ::IsWindow(focus) && ::GetFocus() != focus) ::SetFocus(focus);
  if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace lullan::tarnel
