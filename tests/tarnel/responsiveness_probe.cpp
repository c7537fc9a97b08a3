#include "responsiveness_probe.h"

namespace lullan::test {

namespace {
constexpr DWORD kEveryMs = 20;
constexpr UINT kGiveUpMs = 30000;
}  // namespace

void ResponsivenessProbe::Watch(HWND window) {
  Stop();
  stop_ = false;
  finished_ = false;
  watcher_ = std::thread([this, window] {
    while (!stop_) {
      DWORD asked = ::GetTickCount();
      DWORD_PTR ignored = 0;
      if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kGiveUpMs, &ignored)) break;
      DWORD took = ::GetTickCount() - asked;
      if (took > slowest_) slowest_ = took;
      ++answers_;
      ::Sleep(kEveryMs);
    }
    finished_ = true;
  });
}

void ResponsivenessProbe::Stop() {
  stop_ = true;
  if (!watcher_.joinable()) return;
  while (!finished_) {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // lets a message sent to this thread through
    ::Sleep(1);
  }
  watcher_.join();
}

}  // namespace lullan::test
