// Watches, from a thread of its own, how fast a window answers: every few
// milliseconds it sends the window a message and notes how long the answer
// took. A window whose thread sits in a remote call answers only when the
// call returns; one that keeps dispatching answers at once.
//
//   ResponsivenessProbe probe;
//   admin.Do(L"watch", [&probe](HWND panel) { probe.Watch(panel); })
//       .Select({L"PC-1"}).Click(IDC_START_STOP).Answer(IDYES).Answer(IDOK)
//       .Do(L"stop watching", [&probe](HWND) { probe.Stop(); });
//   EXPECT_LT(probe.slowestMs(), 250u);
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace lullan::test {

class ResponsivenessProbe {
 public:
  ResponsivenessProbe() = default;
  ~ResponsivenessProbe() { Stop(); }
  ResponsivenessProbe(const ResponsivenessProbe&) = delete;
  ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

  void Watch(HWND window);
  // Stops watching. Called from the window's own thread, it answers the
  // watcher's last question while it waits for it.
  void Stop();

  // The longest the window took to answer, and how often it was asked.
  DWORD slowestMs() const { return slowest_; }
  int answers() const { return answers_; }

 private:
  std::thread watcher_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{true};
  std::atomic<DWORD> slowest_{0};
  std::atomic<int> answers_{0};
};

}  // namespace lullan::test
