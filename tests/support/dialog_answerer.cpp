#include "dialog_answerer.h"

namespace lullan::test {

namespace {
thread_local DialogAnswerer* tCurrent = nullptr;

bool IsDialog(HWND window) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, ARRAYSIZE(className));
  return ::lstrcmpW(className, L"#32770") == 0;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  wchar_t className[16] = {};
  ::GetClassNameW(child, className, ARRAYSIZE(className));
  if (::lstrcmpiW(className, L"Static") == 0) {
    std::wstring text = DialogAnswerer::WindowText(child);
    if (!text.empty()) reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(text);
  }
  return TRUE;
}
}  // namespace

std::wstring SeenDialog::Text() const {
  std::wstring joined;
  for (const std::wstring& t : texts) {
    if (!joined.empty()) joined += L" | ";
    joined += t;
  }
  return joined;
}

DialogAnswerer::DialogAnswerer() : previous_(tCurrent) {
  hook_ = ::SetWindowsHookExW(WH_CBT, &DialogAnswerer::Hook, nullptr, ::GetCurrentThreadId());
  tCurrent = this;
}

DialogAnswerer::~DialogAnswerer() {
  if (hook_) ::UnhookWindowsHookEx(hook_);
  tCurrent = previous_;
}

DialogAnswerer& DialogAnswerer::Answer(int button) {
  script_.push_back(Step{button, nullptr});
  return *this;
}

DialogAnswerer& DialogAnswerer::Answer(Action action) {
  script_.push_back(Step{0, std::move(action)});
  return *this;
}

std::wstring DialogAnswerer::Describe() const {
  std::wstring all;
  for (const SeenDialog& d : seen_) {
    all += L"[" + d.caption + L"] " + d.Text() + L" -> " + std::to_wstring(d.answer) + L"\n";
  }
  return all.empty() ? L"(no dialog)\n" : all;
}

void DialogAnswerer::PressButton(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::vector<std::wstring> DialogAnswerer::StaticTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  ::EnumChildWindows(dialog, &CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

std::wstring DialogAnswerer::WindowText(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

namespace {

struct DialogSearch {
  const std::function<bool(HWND)>& wanted;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  if (::IsWindowVisible(window) && IsDialog(window) && search->wanted(window)) search->found.push_back(window);
  return TRUE;
}

// The visible top-level dialog boxes for which `wanted` holds, in z-order.
std::vector<HWND> VisibleDialogs(const std::function<bool(HWND)>& wanted) {
  DialogSearch search{wanted, {}};
  ::EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  return process;
}

}  // namespace

std::vector<HWND> DialogAnswerer::VisibleDialogsOf(DWORD processId) {
  return VisibleDialogs([processId](HWND dialog) { return ProcessOf(dialog) == processId; });
}

void DialogAnswerer::AnswerOtherThreads() {
  const DWORD thread = ::GetCurrentThreadId();
  // Shown by another thread of this process, over a window of this one.
  auto overOurs = [thread](HWND dialog) {
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    return ProcessOf(dialog) == ::GetCurrentProcessId() && ::GetWindowThreadProcessId(dialog, nullptr) != thread &&
           owner && ::GetWindowThreadProcessId(owner, nullptr) == thread;
  };
  for (HWND dialog : VisibleDialogs(overOurs)) OnActivate(dialog);
}

LRESULT CALLBACK DialogAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam) {
  DialogAnswerer* self = tCurrent;
  if (code == HCBT_ACTIVATE && self) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (IsDialog(window)) self->OnActivate(window);
  }
  return ::CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

void DialogAnswerer::OnActivate(HWND window) {
  if (leaveAlone_ && leaveAlone_(window)) return;
  // A dialog is activated again when focus returns to it (after a box it
  // raised closes); only its first activation is an appearance.
  for (HWND known : answered_) {
    if (known == window) return;
  }
  answered_.push_back(window);

  SeenDialog seen{WindowText(window), {}, kUnscripted};
  seen.texts = StaticTexts(window);
  if (script_.empty()) {
    PressButton(window, IDCANCEL);
  } else {
    Step step = std::move(script_.front());
    script_.pop_front();
    if (step.action) {
      seen.answer = 0;
      seen_.push_back(seen);
      step.action(window);
      return;
    }
    seen.answer = step.button;
    PressButton(window, step.button);
  }
  seen_.push_back(std::move(seen));
}

}  // namespace lullan::test
