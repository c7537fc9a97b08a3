#include "status_line.h"

#include <utility>

#include "controls.h"

namespace lullan::tarnel {

namespace {

constexpr DWORD kProgressEveryMs = 100;

}  // namespace

void StatusLine::Attach(HWND bar, HWND owner, UINT_PTR timerId) noexcept {
  bar_ = bar;
  owner_ = owner;
  timerId_ = timerId;
}

void StatusLine::Show(std::wstring_view text) {
  StopWaiting();
  Put(text);
}

void StatusLine::ShowProgress(std::wstring text) {
  const DWORD now = ::GetTickCount();
  if (!shownAt_ || now - *shownAt_ >= kProgressEveryMs) {
    StopWaiting();
    Put(text);
    shownAt_ = now;
    return;
  }
  if (!waiting_) ::SetTimer(owner_, timerId_, kProgressEveryMs - (now - *shownAt_), nullptr);
  waiting_ = std::move(text);
}

void StatusLine::OnTimer() {
  ::KillTimer(owner_, timerId_);
  std::optional<std::wstring> text = std::exchange(waiting_, std::nullopt);
  if (!text) return;
  Put(*text);
  shownAt_ = ::GetTickCount();
}

void StatusLine::Put(std::wstring_view text) { ui::CStatusBar(bar_).SetSimpleText(text); }

void StatusLine::StopWaiting() noexcept {
  if (waiting_) ::KillTimer(owner_, timerId_);
  waiting_.reset();
}

}  // namespace lullan::tarnel
