// Runs a program of the build tree (from the folder the test runs from) and
// collects what it prints.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::test {

struct ProgramRun {
  DWORD exitCode = 0;
  std::string output;  // standard output and error, with "\r\n" turned into "\n"
};

// `program` is a file name beside the test program; `arguments` follow it.
ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs = 60000);

// The folder of the running test program.
std::wstring TestProgramFolder();

}  // namespace lullan::test
