#include "dialog_session.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "text_format.h"

namespace lullan::test {

namespace {
thread_local DialogSession* tRunning = nullptr;

constexpr UINT kTickMs = 10;
constexpr int kMostWaits = 1000;  // about ten seconds for the window to come up or a box to go

std::wstring WithoutMnemonics(std::wstring text) {
  std::wstring plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;  // "&&" stays one ampersand
    plain += text[i];
  }
  return plain;
}

// A window of the thread is the sheet searched for when it has the caption
// and the tabs of a property sheet.
struct SheetSearch {
  const std::wstring& caption;
  HWND found;
};

BOOL CALLBACK FindSheetCaptioned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<SheetSearch*>(param);
  if (DialogAnswerer::WindowText(window) != search->caption || !PropSheet_GetTabControl(window)) return TRUE;
  search->found = window;
  return FALSE;
}

void Key(HWND control, UINT key) {
  ::SendMessageW(control, WM_KEYDOWN, key, 0);
  ::SendMessageW(control, WM_KEYUP, key, 0);
}

HWND Control(HWND parent, unsigned id) {
  HWND control = ::GetDlgItem(parent, static_cast<int>(id));
  EXPECT_NE(control, nullptr) << "no control " << id;
  return control;
}
}  // namespace

void TypeInto(HWND parent, unsigned id, const std::wstring& text) {
  HWND edit = Control(parent, id);
  if (!edit) return;
  ::SetFocus(edit);
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void ClickOn(HWND parent, unsigned id) {
  if (HWND button = Control(parent, id)) ::SendMessageW(button, BM_CLICK, 0, 0);
}

void SlideTo(HWND parent, unsigned id, int position) {
  HWND trackbar = Control(parent, id);
  if (!trackbar) return;
  ::SetFocus(trackbar);
  Key(trackbar, VK_HOME);
  for (int i = 0; i < position; ++i) Key(trackbar, VK_RIGHT);
}

std::wstring TabText(HWND tabs, int index) {
  wchar_t text[128] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = ARRAYSIZE(text);
  ::SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<std::wstring> PageCaptions(HWND sheet) {
  HWND tabs = PropSheet_GetTabControl(sheet);
  std::vector<std::wstring> captions;
  for (int i = 0, count = TabCtrl_GetItemCount(tabs); i < count; ++i) captions.push_back(TabText(tabs, i));
  return captions;
}

void GoToPage(HWND sheet, const std::wstring& caption) {
  std::vector<std::wstring> captions = PageCaptions(sheet);
  for (size_t i = 0; i < captions.size(); ++i) {
    if (captions[i] == caption) {
      PropSheet_SetCurSel(sheet, nullptr, static_cast<int>(i));
      return;
    }
  }
  ADD_FAILURE() << "the sheet has no page \"" << caption << "\"";
}

int Controls::TrackbarPosition(unsigned id) const {
  return static_cast<int>(::SendMessageW(Item(id), TBM_GETPOS, 0, 0));
}

std::wstring Controls::Label(unsigned id) const { return WithoutMnemonics(Text(id)); }

std::vector<std::wstring> Controls::Labels() const {
  std::vector<std::wstring> labels;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, ARRAYSIZE(className));
    // Group boxes are buttons to the system, yet labels to the reader.
    bool label = ::lstrcmpiW(className, L"Static") == 0 ||
                 (::lstrcmpiW(className, L"Button") == 0 &&
                  (::GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX);
    std::wstring text = DialogAnswerer::WindowText(child);
    if (label && !text.empty()) labels.push_back(WithoutMnemonics(text));
  }
  return labels;
}

DialogSession::DialogSession() = default;

DialogSession::~DialogSession() {
  if (timer_) ::KillTimer(nullptr, timer_);
  if (tRunning == this) tRunning = nullptr;
}

void DialogSession::AddStep(std::wstring what, Step step) {
  steps_.push_back(Pending{std::move(what), std::move(step)});
}

void DialogSession::AddType(unsigned id, std::wstring text) {
  AddStep(FormatText(L"type \"%s\" into control %u", text.c_str(), id),
          [this, id, text](HWND window) { TypeInto(ControlParent(window), id, text); });
}

void DialogSession::AddClick(unsigned id) {
  AddStep(FormatText(L"click control %u", id), [this, id](HWND window) { ClickOn(ControlParent(window), id); });
}

void DialogSession::AddSlide(unsigned id, int position) {
  AddStep(FormatText(L"slide control %u to %d", id, position),
          [this, id, position](HWND window) { SlideTo(ControlParent(window), id, position); });
}

void DialogSession::AddLook(std::function<void(const Controls&)> look) {
  AddStep(L"look", [this, look = std::move(look)](HWND window) { look(Controls{ControlParent(window)}); });
}

INT_PTR DialogSession::Run(std::function<HWND()> window, std::function<INT_PTR()> open) {
  window_ = std::move(window);
  // A sheet can be activated before its first page has told its object the
  // window (before WM_INITDIALOG): until then, the session's window is the
  // dialog without an owner; the boxes it raises are owned by it.
  answerer_.LeaveAlone([this](HWND activated) {
    HWND own = window_();
    return own ? activated == own : ::GetWindow(activated, GW_OWNER) == nullptr;
  });
  DialogSession* previous = std::exchange(tRunning, this);
  waits_ = 0;
  Schedule();
  INT_PTR result = open();
  if (timer_) ::KillTimer(nullptr, std::exchange(timer_, 0));
  tRunning = previous;
  if (!steps_.empty()) {
    ADD_FAILURE() << "the window closed before the step \"" << steps_.front().what << "\" (" << steps_.size()
                  << " steps left); boxes seen:\n"
                  << Describe();
    steps_.clear();
  }
  return result;
}

void DialogSession::Schedule() { timer_ = ::SetTimer(nullptr, 0, kTickMs, &DialogSession::Tick); }

void CALLBACK DialogSession::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  if (tRunning && tRunning->timer_ == id) {
    tRunning->OnTick();
  } else {
    ::KillTimer(nullptr, id);
  }
}

void DialogSession::OnTick() {
  ::KillTimer(nullptr, std::exchange(timer_, 0));
  if (stepping_) {
    // The step waits in a message loop of its own while another thread
    // shows a common dialog over the window: only that is answered.
    answerer_.AnswerOtherThreads();
    return Schedule();
  }
  HWND window = window_();
  bool ready = window && ::IsWindowVisible(window) && ::IsWindowEnabled(window);
  if (!ready) {
    answerer_.AnswerOtherThreads();  // a common dialog over the window
    if (++waits_ < kMostWaits) return Schedule();
    ADD_FAILURE() << "the window did not come up, or a box stayed over it; boxes seen:\n" << Describe();
    if (window) ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  waits_ = 0;
  if (steps_.empty()) {
    ADD_FAILURE() << "the window was still open after the last step; it is cancelled";
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  Pending next = std::move(steps_.front());
  steps_.pop_front();
  Schedule();  // ticks go on while the step runs
  stepping_ = true;
  next.step(window);
  stepping_ = false;
  // A session run inside the step stops the ticks it does not own: afresh.
  if (timer_) ::KillTimer(nullptr, std::exchange(timer_, 0));
  Schedule();
}

SheetSession& SheetSession::OnPage(std::wstring caption) {
  return Do(L"go to the page " + caption, [caption](HWND sheet) { GoToPage(sheet, caption); });
}

std::wstring SheetSession::CurrentPage(HWND sheet) {
  HWND tabs = PropSheet_GetTabControl(sheet);
  return TabText(tabs, TabCtrl_GetCurSel(tabs));
}

HWND SheetSession::FindSheet(const std::wstring& caption) {
  SheetSearch search{caption, nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindSheetCaptioned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

SheetSession& SheetSession::PressOK() {
  return Do(L"press OK", [](HWND sheet) { ::SendMessageW(::GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0); });
}

SheetSession& SheetSession::PressCancel() {
  return Do(L"press Cancel", [](HWND sheet) { ::SendMessageW(::GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0); });
}

HWND SheetSession::ControlParent(HWND sheet) const { return PropSheet_GetCurrentPageHwnd(sheet); }

}  // namespace lullan::test
