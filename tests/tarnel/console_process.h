// Runs the built tarnel.exe in a process of its own, as an administrator
// starts it, and drives its windows from the test: every message box is read
// and answered with OK, and once the main dialog is up with no box over it,
// the test's own step looks at it and ends it. The in-process sessions'
// counterpart across processes (the answerer's hook sees only its own thread).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog_answerer.h"

namespace lullan::test {

struct ConsoleRun {
  bool started = false;
  bool sawMainDialog = false;
  bool finished = false;  // false: still running at the time limit, and ended by force
  DWORD exitCode = 0;     // or CreateProcess's error when it did not start
  DWORD closingMs = 0;    // from the end of the test's step to the end of the process
  std::vector<SeenDialog> boxes;
  std::wstring Describe() const;
};

// tarnel.exe beside the test program.
std::wstring ConsoleProgram();

// Starts `program`, answers its boxes, hands its main dialog to `drive` once,
// and waits for the process to end.
ConsoleRun RunConsoleProgram(const std::wstring& program, const std::function<void(HWND dialog)>& drive,
                             DWORD timeoutMs = 60000);

}  // namespace lullan::test
