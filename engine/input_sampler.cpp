#include "input_sampler.h"

#include "handles.h"

namespace lullan::engine {

namespace {

// The tick of the last key, button or wheel input the hooks saw. Written and
// read on the agent's one thread.
DWORD gLastKeyTick = 0;
bool gKeySeen = false;
unsigned gHookCalls = 0;  // every event either hook saw, movement too

DWORD LastInputTick() {
  LASTINPUTINFO input{sizeof input, 0};
  return ::GetLastInputInfo(&input) ? input.dwTime : ::GetTickCount();
}

struct Desktop {
  using type = HDESK;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::CloseDesktop(h); }
};

bool DesktopName(HDESK desktop, wchar_t (&name)[64]) {
  DWORD needed = 0;
  name[0] = L'\0';
  return ::GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name, &needed) != FALSE;
}

}  // namespace

InputSampler::InputSampler(Hooks hooks) {
  gKeySeen = false;
  if (hooks == Hooks::kNone) return;
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  keyboard_.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardProc, module, 0));
  mouse_.reset(::SetWindowsHookExW(WH_MOUSE_LL, &MouseProc, module, 0));
}

InputSampler::~InputSampler() = default;

LRESULT CALLBACK InputSampler::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    gLastKeyTick = ::GetTickCount();
    gKeySeen = true;
    ++gHookCalls;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK InputSampler::MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  // Buttons and the wheel are the user's; movement alone may be a desk knocked
  // or a mouse mover.
  if (code == HC_ACTION) ++gHookCalls;
  if (code == HC_ACTION && wParam != WM_MOUSEMOVE) {
    gLastKeyTick = ::GetTickCount();
    gKeySeen = true;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool InputSampler::IsLocked() {
  unique_any<Desktop> input(::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
  if (!input) return true;
  wchar_t inputName[64];
  wchar_t ownName[64];
  if (!DesktopName(input.get(), inputName) || !DesktopName(::GetThreadDesktop(::GetCurrentThreadId()), ownName))
    return false;
  return ::_wcsicmp(inputName, ownName) != 0;
}

bool InputSampler::IsScreenSaverRunning() {
  BOOL running = FALSE;
  return ::SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running == TRUE;
}

Sample InputSampler::Take() {
  DWORD now = ::GetTickCount();
  DWORD lastInput = LastInputTick();
  POINT cursor{};
  if (!::GetCursorPos(&cursor)) cursor = lookedCursor_;  // the secure desktop's: not ours to see
  // New input that no hook saw, with the pointer where it was: a key the
  // hooks could not see.
  if (looked_ && lastInput != lookedInput_ && gHookCalls == lookedHookCalls_ && cursor.x == lookedCursor_.x &&
      cursor.y == lookedCursor_.y) {
    gLastKeyTick = lastInput;
    gKeySeen = true;
  }
  looked_ = true;
  lookedInput_ = lastInput;
  lookedHookCalls_ = gHookCalls;
  lookedCursor_ = cursor;
  // Before the first key the hooks saw, the session's last input of any kind
  // stands for it: the agent cannot know what came before it started.
  DWORD lastKey = gKeySeen ? gLastKeyTick : lastInput;
  Sample sample;
  sample.inputIdleMs = now - lastInput;  // unsigned: right across the tick count's wrap
  sample.keyIdleMs = now - lastKey;
  sample.locked = IsLocked();
  sample.screenSaverRunning = IsScreenSaverRunning();
  return sample;
}

bool SampleGate::ShouldSend(const Sample& sample, DWORD tick) {
  Moments now = Of(sample, tick);
  bool inputGoneOn = havePrevious_ && (Later(now.input, previous_.input) || Later(now.key, previous_.key));
  previous_ = now;
  havePrevious_ = true;
  if (!sentAny_) return true;
  if (sample.locked != sent_.locked || sample.screenSaverRunning != sent_.screenSaverRunning) return true;
  bool newer = Later(now.input, sentMoments_.input) || Later(now.key, sentMoments_.key);
  if (!newer) return false;
  bool quietBefore = static_cast<LONG>(now.input - sentMoments_.input) >= static_cast<LONG>(kActiveInterval);
  return quietBefore || !inputGoneOn || tick - sentTick_ >= kActiveInterval;
}

void SampleGate::Sent(const Sample& sample, DWORD tick) {
  sentAny_ = true;
  sent_ = sample;
  sentTick_ = tick;
  sentMoments_ = Of(sample, tick);
}

}  // namespace lullan::engine
