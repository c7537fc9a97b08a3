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

// Shows `text` and returns the button pressed (0 when no box could be shown).
// Without an icon in `type`, OK boxes get the exclamation mark and question
// boxes (Yes/No) the question mark. `owner` may be any window of the dialog,
// a control or a page included; the box belongs to its top-level window.
int ShowMessage(HWND owner, std::wstring_view text, UINT type = MB_OK) noexcept;

// What the dialog procedure shows when a handler failed with an exception:
// the command stops there and the dialog goes on.
void ShowUnexpectedError(HWND owner, const char* what) noexcept;

}  // namespace lullan::ui
