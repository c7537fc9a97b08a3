// Drives a program of dist/ in its own process, as an administrator at the
// machine would: waits for its windows by their captions, reads their texts
// and presses their buttons. The counterpart across processes of the
// sessions that drive setup's code in the test's own thread.
//
//   ProgramDriver setup;
//   setup.Start(dist + L"\\setup.exe", L"", dist);
//   HWND main = setup.WaitFor(L"Lullan Configuration & Setup Utility");
//   setup.Press(main, IDOK);
//   EXPECT_EQ(setup.Box(IDYES), L"Directory C:\\... does not exist. Create it?");
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "handles.h"

namespace lullan::test {

class ProgramDriver {
 public:
  ProgramDriver() = default;
  ~ProgramDriver();  // ends a program still running
  ProgramDriver(const ProgramDriver&) = delete;
  ProgramDriver& operator=(const ProgramDriver&) = delete;

  // Starts `program` with `arguments` in `directory`; false with the error in `error()`.
  bool Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory);

  // The next visible dialog window of the program with that caption that
  // has not been returned before (the "Progress:" window is never one), or
  // null after `timeoutMs`. A window returned with `again` may come again.
  HWND WaitFor(const std::wstring& caption, DWORD timeoutMs = 30000, bool again = false);
  // The program's next message box (caption "LullanSetup", or `caption`):
  // its text, after it was answered with `button`. Empty when none came.
  std::wstring Box(int button, const std::wstring& caption = L"LullanSetup", DWORD timeoutMs = 30000);

  static void Press(HWND dialog, int id);
  static void SetText(HWND dialog, int id, const std::wstring& text);
  static std::wstring Text(HWND dialog, int id);
  // Waits until `dialog` is enabled again (nothing modal in front of it).
  static bool WaitUntilEnabled(HWND dialog, DWORD timeoutMs = 30000);

  // Waits for the program's end; its exit code, or STILL_ACTIVE.
  DWORD WaitForExit(DWORD timeoutMs = 30000);
  DWORD error() const noexcept { return error_; }
  DWORD processId() const noexcept { return processId_; }

 private:
  unique_handle process_;
  DWORD processId_ = 0;
  DWORD error_ = ERROR_SUCCESS;
  std::vector<HWND> returned_;
};

}  // namespace lullan::test
