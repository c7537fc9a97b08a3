// What the session agent sees of its user: how long since the last input
// (any, and keys, buttons or the wheel alone: mouse movement counts only
// with MonitorMouse, which the service applies), whether the workstation is
// locked, whether the screen saver runs.
//
// Keys, buttons and the wheel are told apart from movement by low-level
// keyboard and mouse hooks, called on the agent's one thread from its
// message loop; they only note the time. GetLastInputInfo gives the rest.
// Input the hooks cannot see (typed into a program that runs elevated, whose
// input no hook of the user's sees) moves GetLastInputInfo alone: with the
// mouse pointer where it was, it counts as a key.
#pragma once

#include <windows.h>

#include "pipe_protocol.h"
#include "ui_handles.h"

namespace lullan::engine {

class InputSampler {
 public:
  enum class Hooks { kInstall, kNone };
  // Installs the hooks (one sampler per process); input before this counts
  // from the session's last input as GetLastInputInfo knows it. Without
  // hooks (they could not be installed) the pointer alone tells movement.
  explicit InputSampler(Hooks hooks = Hooks::kInstall);
  ~InputSampler();
  InputSampler(const InputSampler&) = delete;
  InputSampler& operator=(const InputSampler&) = delete;

  bool hooked() const { return keyboard_ && mouse_; }

  // What the session looks like now.
  Sample Take();

  // The workstation is locked when the input desktop is not the agent's own
  // (or cannot even be opened: the secure desktop).
  static bool IsLocked();
  static bool IsScreenSaverRunning();

 private:
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);

  unique_hook keyboard_;
  unique_hook mouse_;
  // The last look: GetLastInputInfo's tick, the hooks' count, the pointer.
  bool looked_ = false;
  DWORD lookedInput_ = 0;
  unsigned lookedHookCalls_ = 0;
  POINT lookedCursor_{};
};

// Which samples go to the service. A change of the lock or the screen saver
// goes at once, and so does the first input after a quiet spell. While the
// user keeps working, one sample in kActiveInterval is enough; when the input
// stops, the last one goes too, so the service always knows when the user
// last did something.
class SampleGate {
 public:
  static constexpr DWORD kActiveInterval = 10000;  // ms

  // Whether to send `sample`, taken at `tick` (GetTickCount).
  bool ShouldSend(const Sample& sample, DWORD tick);
  // `sample` went to the service.
  void Sent(const Sample& sample, DWORD tick);

 private:
  struct Moments {
    DWORD input;
    DWORD key;
  };
  static Moments Of(const Sample& sample, DWORD tick) { return {tick - sample.inputIdleMs, tick - sample.keyIdleMs}; }
  static bool Later(DWORD a, DWORD b) { return static_cast<LONG>(a - b) > 0; }

  bool sentAny_ = false;
  Sample sent_;
  DWORD sentTick_ = 0;
  Moments sentMoments_{};
  Moments previous_{};  // of the last sample looked at
  bool havePrevious_ = false;
};

}  // namespace lullan::engine
