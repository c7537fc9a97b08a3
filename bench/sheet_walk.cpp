#include "sheet_walk.h"

#include <commctrl.h>

#include <chrono>
#include <utility>

#include "dialog_answerer.h"
#include "dialog_session.h"
#include "resource.h"

namespace lullan::bench {

namespace {

using Clock = std::chrono::steady_clock;
using test::DialogAnswerer;
using test::SheetSession;

constexpr UINT kTickMs = 10;
constexpr int kMostOKs = 3;  // a sheet still open after this many is not going to close

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Nothing waits in the thread's queue but timers: the sheet has done all it
// was asked and painted all there is.
bool Idle() { return HIWORD(::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_PAINT | QS_SENDMESSAGE)) == 0; }

std::wstring ItemText(HWND dialog, unsigned id) {
  return DialogAnswerer::WindowText(::GetDlgItem(dialog, static_cast<int>(id)));
}

class Walker {
 public:
  Walker(std::wstring caption, SheetWalk& walk) : caption_(std::move(caption)), walk_(walk) {}

  void Start() { start_ = Clock::now(); }
  double Elapsed() const { return MillisecondsSince(start_); }
  void Tick();
  HWND sheet() const { return sheet_; }

 private:
  void Visit(HWND sheet, int current);
  void AfterOK(HWND sheet, HWND page);
  void PressOK(HWND sheet) {
    ++oks_;
    DialogAnswerer::PressButton(sheet, IDOK);
  }
  void Cancel(HWND sheet, std::wstring why) {
    walk_.troubles.push_back(std::move(why));
    cancelled_ = true;
    DialogAnswerer::PressButton(sheet, IDCANCEL);
  }

  std::wstring caption_;
  SheetWalk& walk_;
  Clock::time_point start_;
  HWND sheet_ = nullptr;
  int next_ = 0;  // the page the walk waits to see
  int oks_ = 0;
  bool cancelled_ = false;
  bool ticking_ = false;
};

thread_local Walker* tWalker = nullptr;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (tWalker) tWalker->Tick();
}

void Walker::Tick() {
  // A box answered inside a step runs a message loop of its own, which ticks too.
  if (ticking_) return;
  ticking_ = true;
  if (!sheet_) sheet_ = SheetSession::FindSheet(caption_);
  HWND sheet = sheet_;
  // A box over the sheet disables it until the box is answered.
  if (sheet && ::IsWindowVisible(sheet) && ::IsWindowEnabled(sheet) && !cancelled_ && Idle()) {
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    if (oks_ == 0) {
      Visit(sheet, PropSheet_HwndToIndex(sheet, page));
    } else {
      AfterOK(sheet, page);
    }
  }
  ticking_ = false;
}

void Walker::Visit(HWND sheet, int current) {
  if (current != next_) {
    Cancel(sheet, L"the " + SheetSession::CurrentPage(sheet) + L" page would not be left");
    return;
  }
  if (next_ == 0) walk_.readyMs = Elapsed();
  walk_.pagesShown.push_back(SheetSession::CurrentPage(sheet));
  if (++next_ < TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet))) {
    ::PostMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(next_), 0);  // as a click on the next tab
  } else {
    PressOK(sheet);
  }
}

void Walker::AfterOK(HWND sheet, HWND page) {
  // OK was pressed and the sheet is still open: a page refused.
  if (SheetSession::CurrentPage(sheet) == L"Profile" && !ItemText(page, IDC_PROFILE_NAME).empty() &&
      ItemText(page, IDC_PROFILE_SERVER).empty()) {
    ::SetDlgItemTextW(page, IDC_PROFILE_SERVER, kWalkServer);
    walk_.typedServer = true;
    PressOK(sheet);
  } else if (oks_ < kMostOKs) {
    PressOK(sheet);
  } else {
    Cancel(sheet, L"OK did not close the sheet (it stayed on the " + SheetSession::CurrentPage(sheet) + L" page)");
  }
}

}  // namespace

SheetWalk WalkSheet(config::ConfigHost& host, const config::Target& target, const std::wstring& caption,
                    config::SheetPages pages) {
  SheetWalk walk;
  Walker walker(caption, walk);
  DialogAnswerer answerer;
  // The sheet is the walker's; before it is known, it is the window without an owner.
  answerer.LeaveAlone([&walker](HWND activated) {
    return walker.sheet() ? activated == walker.sheet() : ::GetWindow(activated, GW_OWNER) == nullptr;
  });
  Walker* previous = std::exchange(tWalker, &walker);
  UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, &OnTick);
  walker.Start();
  walk.result = config::ShowConfigurationSheet(nullptr, host, target, caption, pages);
  walk.closedMs = walker.Elapsed();
  ::KillTimer(nullptr, timer);
  tWalker = previous;
  for (const test::SeenDialog& box : answerer.seen()) walk.boxes.push_back(box.caption + L": " + box.Text());
  return walk;
}

}  // namespace lullan::bench
