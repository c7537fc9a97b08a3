// Runs numbered cases in child processes, so that a case that crashes or
// hangs is counted instead of ending the run. Each child runs a batch of
// cases and reports on its standard output, one line each:
//
//   begin <case>            the case starts
//   <word> <case> <text>    anything the parent should hear of (handed on)
//   end <case>              the case is done
//
// A child that ends while a case is begun and not done crashed in that case;
// a case that has not ended ten seconds after it began hangs, and its child
// is ended. Either way the run goes on with the next case in a new child.
//
//   ChildCases runner(L"sheet_fuzz.exe --child 7", 100);
//   CaseTally tally = runner.Run(10000, [](uint64_t n, std::string_view word, std::string_view text) { ... });
//
// The child side: ReportCase prints one line and flushes it at once, so the
// parent hears of a case before the case can crash.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lullan::bench {

struct CaseTally {
  uint64_t cases = 0;
  uint64_t crashes = 0;
  uint64_t hangs = 0;
};

class ChildCases {
 public:
  using Report = std::function<void(uint64_t caseNumber, std::string_view word, std::string_view text)>;

  // `command` starts a child, to which " <first> <count>" is added: the cases it runs.
  ChildCases(std::wstring command, uint64_t batch, DWORD hangMs = 10000)
      : command_(std::move(command)), batch_(batch), hangMs_(hangMs) {}

  // Runs cases 0 to count - 1. Crashes and hangs are reported as the words
  // "crash" and "hang" with what is known of them.
  CaseTally Run(uint64_t count, const Report& report);

 private:
  // Runs cases from `first` (at most to `end`) in one child; the next case to run.
  uint64_t RunChild(uint64_t first, uint64_t end, CaseTally& tally, const Report& report);

  std::wstring command_;
  uint64_t batch_;
  DWORD hangMs_;
};

// Child side: one report line, on its way to the parent before this returns.
void ReportCase(const char* word, uint64_t caseNumber, std::string_view text = {});

}  // namespace lullan::bench
