#include "message_box.h"

#include <utility>

#include "text_format.h"

namespace lullan::ui {

namespace {
std::wstring& Title() {
  static std::wstring title;
  return title;
}

MessageSink* gSink = nullptr;

UINT WithDefaultIcon(UINT type) {
  if (type & MB_ICONMASK) return type;
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return type | MB_ICONQUESTION;
    default:
      return type | MB_ICONEXCLAMATION;
  }
}
}  // namespace

void SetProgramTitle(std::wstring title) { Title() = std::move(title); }

const std::wstring& ProgramTitle() { return Title(); }

MessageSink* SetMessageSink(MessageSink* sink) noexcept { return std::exchange(gSink, sink); }

MessageSink* CurrentMessageSink() noexcept { return gSink; }

int ShowMessage(HWND owner, std::wstring_view text, UINT type) noexcept {
  if (gSink) return gSink->Show(text, WithDefaultIcon(type));
  HWND root = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
  try {
    std::wstring terminated(text);
    return ::MessageBoxW(root, terminated.c_str(), Title().c_str(), WithDefaultIcon(type));
  } catch (...) {
    // Out of memory for the copy: the box still says something.
    return ::MessageBoxW(root, L"Out of memory.", Title().c_str(), MB_OK | MB_ICONSTOP);
  }
}

void ShowUnexpectedError(HWND owner, const char* what) noexcept {
  try {
    ShowMessage(owner, FormatText(L"The command could not be completed: %s", Widen(what ? what : "").c_str()),
                MB_OK | MB_ICONSTOP);
  } catch (...) {
    ShowMessage(owner, L"The command could not be completed.", MB_OK | MB_ICONSTOP);
  }
}

}  // namespace lullan::ui
