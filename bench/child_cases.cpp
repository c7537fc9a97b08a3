#include "child_cases.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "handles.h"
#include "text_format.h"

namespace lullan::bench {

namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kPollMs = 20;

struct Line {
  std::string_view word;
  uint64_t caseNumber;
  std::string_view text;
};

// "<word> <case> <text>"; nullopt for anything else.
std::optional<Line> Parse(std::string_view line) {
  size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  Line parsed{line.substr(0, blank), 0, {}};
  std::string_view rest = line.substr(blank + 1);
  size_t digits = rest.find_first_not_of("0123456789");
  std::string number(rest.substr(0, digits));
  if (number.empty()) return std::nullopt;
  parsed.caseNumber = std::strtoull(number.c_str(), nullptr, 10);
  if (digits != std::string_view::npos) parsed.text = rest.substr(digits + 1);
  return parsed;
}

// What the child has written so far, without waiting for more; false once
// the pipe is broken (the child has ended and everything is read).
bool ReadAvailable(HANDLE pipe, std::string& pending, bool wait) {
  for (;;) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0 && !wait) return true;
    char chunk[4096];
    DWORD read = 0;
    if (!::ReadFile(pipe, chunk, available && available < sizeof chunk ? available : sizeof chunk, &read, nullptr))
      return false;
    pending.append(chunk, read);
    if (!wait) return true;
  }
}

}  // namespace

CaseTally ChildCases::Run(uint64_t count, const Report& report) {
  CaseTally tally;
  for (uint64_t next = 0; next < count;) {
    next = RunChild(next, next + batch_ < count ? next + batch_ : count, tally, report);
  }
  return tally;
}

uint64_t ChildCases::RunChild(uint64_t first, uint64_t end, CaseTally& tally, const Report& report) {
  // A case that crashed or hung is over: the next child starts after it.
  auto lost = [&](uint64_t caseNumber, bool hung, const std::string& what) {
    report(caseNumber, hung ? "hang" : "crash", what);
    ++(hung ? tally.hangs : tally.crashes);
    ++tally.cases;
    return caseNumber + 1;
  };

  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  unique_handle readEnd;
  unique_handle writeEnd;
  if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) {
    return lost(first, false, FormatTextA("no pipe for a child: error %lu", ::GetLastError()));
  }
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  std::wstring command = command_ + FormatText(L" %llu %llu", static_cast<unsigned long long>(first),
                                               static_cast<unsigned long long>(end - first));
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    return lost(first, false, FormatTextA("the child could not be started: error %lu", ::GetLastError()));
  }
  unique_handle process(started.hProcess);
  unique_handle thread(started.hThread);
  writeEnd.reset();  // the child holds the only write end: the pipe breaks when it ends

  std::string pending;
  // The case begun and not yet ended, if any (a flag and a number: gcc
  // takes an optional here for one that may be read unset).
  bool running = false;
  uint64_t current = 0;
  uint64_t next = first;
  Clock::time_point since = Clock::now();
  auto take = [&] {
    for (size_t newline; (newline = pending.find('\n')) != std::string::npos; pending.erase(0, newline + 1)) {
      std::string_view line(pending.data(), newline);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      std::optional<Line> parsed = Parse(line);
      if (!parsed) continue;
      if (parsed->word == "begin") {
        running = true;
        current = parsed->caseNumber;
        since = Clock::now();
      } else if (parsed->word == "end") {
        running = false;
        next = parsed->caseNumber + 1;
        ++tally.cases;
        since = Clock::now();
      } else {
        report(parsed->caseNumber, parsed->word, parsed->text);
      }
    }
  };

  for (;;) {
    bool ended = ::WaitForSingleObject(process.get(), kPollMs) == WAIT_OBJECT_0;
    ReadAvailable(readEnd.get(), pending, ended);
    take();
    if (ended) break;
    if (Clock::now() - since > std::chrono::milliseconds(hangMs_)) {
      ::TerminateProcess(process.get(), ERROR_TIMEOUT);
      ::WaitForSingleObject(process.get(), INFINITE);
      uint64_t stuck = running ? current : next;
      return lost(
          stuck, true,
          FormatTextA("no end %lu s after it %s; its child is ended", hangMs_ / 1000, running ? "began" : "was due"));
    }
  }

  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  if (running) return lost(current, false, FormatTextA("its child ended with code 0x%08lX", code));
  if (next < end) return lost(next, false, FormatTextA("its child ended with code 0x%08lX before it began", code));
  if (code != 0) {
    report(end - 1, "crash", FormatTextA("its child ended with code 0x%08lX after the last case", code));
    ++tally.crashes;
  }
  return end;
}

void ReportCase(const char* word, uint64_t caseNumber, std::string_view text) {
  std::string line = FormatTextA("%s %llu", word, static_cast<unsigned long long>(caseNumber));
  if (!text.empty()) {
    line += ' ';
    // One line each: whatever the text holds stays on it.
    for (char c : text) line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace lullan::bench
