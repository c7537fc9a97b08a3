// Runs one of the built programs in its own process and answers the message
// boxes it shows, as a user at the machine would: each dialog window
// ("#32770") of the child is read (caption and static texts) and its OK
// button pressed. The DialogAnswerer hook only sees the test's own thread;
// this is its counterpart across processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialog_answerer.h"

namespace lullan::test {

struct ChildRun {
  bool finished = false;  // false: still running at the time limit, and ended by force
  DWORD exitCode = 0;
  std::vector<SeenDialog> dialogs;
  // The boxes seen and the exit code, for failure messages.
  std::wstring Describe() const;
};

// Starts `program` with `arguments` (the text after the program name) in
// `directory` (empty: the test's own), answers every box with OK and waits
// for the end.
ChildRun RunAndAnswer(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory = L"",
                      DWORD timeoutMs = 60000);

}  // namespace lullan::test
