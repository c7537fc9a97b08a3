#include "console_messages.h"

#include "error_text.h"
#include "message_box.h"
#include "text_format.h"

namespace lullan::tarnel {

void HeldMessages::ShowAll(HWND owner) {
  for (const std::wstring& text : held_) ui::ShowMessage(owner, text);
  held_.clear();
}

std::wstring LastErrorMessage(std::wstring_view text) {
  DWORD error = ::GetLastError();  // before anything else can change it
  return FormatText(L"%s: %s", std::wstring(text).c_str(), SystemErrorText(error).c_str());
}

void ReportLastError(HWND owner, std::wstring_view text) { ui::ShowMessage(owner, LastErrorMessage(text)); }

}  // namespace lullan::tarnel
