#include "own_thread.h"

#include <windows.h>
#include <process.h>

#include <exception>
#include <optional>

#include "com_apartment.h"
#include "handles.h"

namespace lullan::ui {

namespace {

struct Job {
  const std::function<void()>& work;
  Apartment apartment;
  std::exception_ptr failure;
};

unsigned __stdcall RunJob(void* context) noexcept {
  Job& job = *static_cast<Job*>(context);
  // The work goes ahead in no apartment should joining one fail.
  std::optional<ComApartment> apartment;
  if (job.apartment == Apartment::SingleThreaded) apartment.emplace(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
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

void RunOnOwnThread(const std::function<void()>& work, Apartment apartment) {
  Job job{work, apartment, nullptr};
  unique_handle thread(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &RunJob, &job, 0, nullptr)));
  if (!thread) {
    work();  // no thread to be had
    return;
  }
  DispatchUntilEnded(thread.get());
  if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace lullan::ui
