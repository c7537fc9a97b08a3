#include "nested_sheet.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <utility>

namespace lullan::test {

namespace {
// The sheet being driven on this thread; one at a time.
thread_local void* tDriven = nullptr;

constexpr UINT kTickMs = 10;
constexpr int kMostWaits = 1000;  // about ten seconds for a box over the sheet to go
}  // namespace

NestedSheet::NestedSheet() : state_(std::make_unique<State>()) {}

NestedSheet::~NestedSheet() {
  if (tDriven != state_.get()) return;
  if (state_->timer) ::KillTimer(nullptr, state_->timer);
  tDriven = nullptr;
}

NestedSheet& NestedSheet::Add(std::wstring what, Step step) {
  state_->steps.push_back(Pending{std::move(what), std::move(step)});
  return *this;
}

NestedSheet& NestedSheet::OnPage(std::wstring caption) {
  return Add(L"go to the page " + caption, [caption](HWND sheet) { GoToPage(sheet, caption); });
}

NestedSheet& NestedSheet::Type(unsigned id, std::wstring text) {
  return Add(L"type into a control",
             [id, text](HWND sheet) { TypeInto(PropSheet_GetCurrentPageHwnd(sheet), id, text); });
}

NestedSheet& NestedSheet::Click(unsigned id) {
  return Add(L"click a control", [id](HWND sheet) { ClickOn(PropSheet_GetCurrentPageHwnd(sheet), id); });
}

NestedSheet& NestedSheet::Slide(unsigned id, int position) {
  return Add(L"slide a trackbar",
             [id, position](HWND sheet) { SlideTo(PropSheet_GetCurrentPageHwnd(sheet), id, position); });
}

NestedSheet& NestedSheet::Look(std::function<void(const Controls&)> look) {
  return Add(L"look", [look = std::move(look)](HWND sheet) { look(Controls{PropSheet_GetCurrentPageHwnd(sheet)}); });
}

NestedSheet& NestedSheet::Do(std::wstring what, Step step) { return Add(std::move(what), std::move(step)); }

NestedSheet& NestedSheet::PressOK() {
  return Add(L"press OK", [](HWND sheet) { ClickOn(sheet, IDOK); });
}

NestedSheet& NestedSheet::PressCancel() {
  return Add(L"press Cancel", [](HWND sheet) { ClickOn(sheet, IDCANCEL); });
}

DialogAnswerer::Action NestedSheet::Drive() {
  State* state = state_.get();
  return [state](HWND sheet) {
    EXPECT_EQ(tDriven, nullptr) << "a sheet is driven already";
    tDriven = state;
    state->sheet = sheet;
    state->timer = ::SetTimer(nullptr, 0, kTickMs, &NestedSheet::Tick);
  };
}

void CALLBACK NestedSheet::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  auto* state = static_cast<State*>(tDriven);
  if (state && state->timer == id) {
    OnTick(*state);
  } else {
    ::KillTimer(nullptr, id);
  }
}

void NestedSheet::OnTick(State& state) {
  ::KillTimer(nullptr, std::exchange(state.timer, 0));
  auto schedule = [&state] { state.timer = ::SetTimer(nullptr, 0, kTickMs, &NestedSheet::Tick); };
  auto stop = [&state](const char* failure) {
    if (failure) {
      ADD_FAILURE() << failure;
      ::PostMessageW(state.sheet, WM_COMMAND, IDCANCEL, 0);
    }
    tDriven = nullptr;
  };

  if (!::IsWindow(state.sheet)) {
    if (!state.steps.empty()) {
      ADD_FAILURE() << "the sheet closed before the step \"" << ::testing::PrintToString(state.steps.front().what)
                    << "\" (" << state.steps.size() << " steps left)";
    }
    return stop(nullptr);
  }
  bool ready = ::IsWindowVisible(state.sheet) && ::IsWindowEnabled(state.sheet) &&
               PropSheet_GetCurrentPageHwnd(state.sheet) != nullptr;
  if (!ready) {
    if (++state.waits < kMostWaits) return schedule();
    return stop("a box stayed over the sheet");
  }
  state.waits = 0;
  if (state.pages.empty()) {
    state.caption = DialogAnswerer::WindowText(state.sheet);
    state.pages = PageCaptions(state.sheet);
  }
  if (state.steps.empty()) return stop("the sheet was still open after the last step; it is cancelled");
  Pending next = std::move(state.steps.front());
  state.steps.pop_front();
  next.step(state.sheet);
  schedule();
}

}  // namespace lullan::test
