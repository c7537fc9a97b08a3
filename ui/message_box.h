// The one place that shows a message box. Every box carries the program's
// title as its caption and is owned by the window it speaks for, so it stays
// in front of that window and keeps it disabled while it is up.
//
//   ui::SetProgramTitle(L"LullanSetup");               // once, at start-up
//   ui::ShowMessage(page, L"Registry key name missing");
//   if (ui::ShowMessage(page, L"Enable daily logoff?", MB_YESNO) == IDNO) ...
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace lullan::ui {

void SetProgramTitle(std::wstring title);
const std::wstring& ProgramTitle();

// Where the boxes go instead, in a program that runs without windows (setup's
// quiet mode): the sink writes each text somewhere and answers it.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Takes what a box would show; returns the button it stands for.
  virtual int Show(std::wstring_view text, UINT type) noexcept = 0;
  // Takes what a progress window would show.
  virtual void Note(std::wstring_view text) noexcept = 0;
};

// Installs `sink` for the whole process (null: boxes again); returns the one before.
MessageSink* SetMessageSink(MessageSink* sink) noexcept;
MessageSink* CurrentMessageSink() noexcept;

// Shows `text` and returns the button pressed (0 when no box could be shown).
// Without an icon in `type`, OK boxes get the exclamation mark and question
// boxes (Yes/No) the question mark. `owner` may be any window of the dialog,
// a control or a page included; the box belongs to its top-level window.
int ShowMessage(HWND owner, std::wstring_view text, UINT type = MB_OK) noexcept;

// What the dialog procedure shows when a handler failed with an exception:
// the command stops there and the dialog goes on.
void ShowUnexpectedError(HWND owner, const char* what) noexcept;

}  // namespace lullan::ui
