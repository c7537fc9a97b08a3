// What bad registry contents do to the configuration sheet. Each case stores
// a random configuration (random_configuration.h) under one of the sheet's
// four openers (setup's version key; the console's local copy of a machine,
// a profile edited from a machine, a profile from the shared profiles
// manager), opens the sheet as that opener does, shows every page and
// presses OK, answering every box (sheet_walk.h); then it judges what the
// sheet wrote (sheet_writes.h):
//
//   scripts/wine-bench.sh build/test-i686 sheet_fuzz.exe [cases] [seed]
//
// Cases run in child processes, a hundred each, so that a crash or a hang
// (no end ten seconds after a case began) is counted and the run goes on.
// Each fault is printed with its case; what is worth knowing but no fault
// (boxes, a server typed for an assigned profile, a sheet that would not
// close) is summed up at the end. The last line reads
//
//   sheet-fuzz: cases=N crashes=C hangs=H out_of_range=O
//
// where O counts the values written outside the schema's rules. The exit
// code is 0 only when C, H and O are all 0. A case depends on the seed and
// its number alone: `sheet_fuzz.exe --child <seed> <case> 1` runs one again.
// Where Wine's text shaping crashes on a ligature with a combining mark (see
// shaping_fault.h; 64-bit Wine 8), the texts leave those marks out, and the
// run says so in its first line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "child_cases.h"
#include "config_host.h"
#include "fake_platform.h"
#include "message_box.h"
#include "product.h"
#include "random_configuration.h"
#include "registry_fixture.h"
#include "scripted_domain.h"
#include "shaping_fault.h"
#include "sheet_walk.h"
#include "sheet_writes.h"
#include "text_format.h"

using namespace lullan;
using namespace lullan::bench;

namespace {

constexpr uint64_t kDefaultCases = 10000;
constexpr uint64_t kDefaultSeed = 20261207;
constexpr uint64_t kCasesPerChild = 100;
constexpr wchar_t kMachine[] = L"PC-017";
constexpr wchar_t kProfile[] = L"stdFuzz";
constexpr wchar_t kShapingProbe[] = L"--edit-box-probe";

std::string Utf8(const std::wstring& text) { return Narrow(text, CP_UTF8); }

// A crash ends the child at once, with the exception's code as its exit
// code: no debugger, no box, nothing that could wait for a user.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
  ::TerminateProcess(::GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// One opener's sheet over one random configuration.
class FuzzCase {
 public:
  explicit FuzzCase(const std::wstring& root)
      : versionKey_(root + L"\\" + kVersionName),
        consoleKey_(versionKey_ + L"\\" + kConsoleSubkey),
        setup_(versionKey_),
        console_(consoleKey_, L"\\\\DC01") {}

  void Run(uint64_t seed, uint64_t caseNumber, bool keepMarksOut) {
    const Opener opener = static_cast<Opener>(caseNumber % 4);
    RandomConfiguration before = MakeRandomConfiguration(seed, caseNumber);
    if (keepMarksOut) KeepOut(before, &LigatureMark);
    const std::wstring key = KeyOf(opener);
    if (!Store(before, key)) {
      ReportCase("note", caseNumber, "the configuration could not be stored");
      return;
    }
    config::ConfigHost& host = opener == Opener::Setup ? static_cast<config::ConfigHost&>(setup_) : console_;
    console_.changes().Clear();
    SheetWalk walk = WalkSheet(host, TargetOf(opener), CaptionOf(opener), PagesOf(opener));

    for (const std::wstring& box : walk.boxes) ReportCase("note", caseNumber, "box " + Utf8(box));
    for (const std::wstring& trouble : walk.troubles) ReportCase("note", caseNumber, Utf8(trouble));
    if (walk.typedServer) ReportCase("note", caseNumber, "a server was typed for the assigned profile");
    size_t pages = PagesOf(opener) == config::SheetPages::Machine ? 5 : 4;
    if (walk.pagesShown.size() != pages) {
      ReportCase("note", caseNumber,
                 FormatTextA("%u of %u pages shown", static_cast<unsigned>(walk.pagesShown.size()),
                             static_cast<unsigned>(pages)));
    }
    const bool confirmed = walk.result == IDOK;
    for (const std::wstring& missing : MissingWrites(opener, before, key, confirmed)) {
      ReportCase("note", caseNumber, Utf8(missing));
    }
    for (const std::wstring& fault : JudgeWrites(opener, before, key, confirmed)) {
      ReportCase("out", caseNumber, Utf8(fault));
    }
  }

 private:
  std::wstring KeyOf(Opener opener) const {
    switch (opener) {
      case Opener::Setup:
        return versionKey_;
      case Opener::ConsoleMachine:
        return consoleKey_ + L"\\" + kMachine;
      default:
        return consoleKey_ + L"\\" + kProfilesSubkey + L"\\" + kProfile;
    }
  }
  static config::Target TargetOf(Opener opener) {
    switch (opener) {
      case Opener::Setup:
        return config::Target();
      case Opener::ConsoleMachine:
        return config::Target::Machine(kMachine);
      default:
        return config::Target::Profile(kProfile);
    }
  }
  static std::wstring CaptionOf(Opener opener) {
    switch (opener) {
      case Opener::Setup:
        return L"Lullan Configuration";
      case Opener::ConsoleMachine:
        return FormatText(L"Configuration for %s", kMachine);
      case Opener::ConsoleEditProfile:
        return FormatText(L"Edit profile %s", kProfile);
      default:
        return FormatText(L"Configuration for profile %s", kProfile);
    }
  }

  std::wstring versionKey_;
  std::wstring consoleKey_;
  config::SetupHost setup_;
  config::ConsoleHost console_;
};

std::wstring ChildRoot() { return FormatText(L"SOFTWARE\\LullanFuzz\\%lu", ::GetCurrentProcessId()); }

std::wstring Self() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, ARRAYSIZE(self));
  return self;
}

// Where Wine's shaper crashes on a ligature with a mark, the texts leave
// such marks out (shaping_fault.h).
bool KeepMarksOut() { return ShapingFaultExists(Self(), kShapingProbe); }

void EndCrashesQuietly() {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  ::SetUnhandledExceptionFilter(&EndOnCrash);
}

int RunChild(uint64_t seed, uint64_t first, uint64_t count) {
  EndCrashesQuietly();
  const bool keepMarksOut = KeepMarksOut();
  ui::SetProgramTitle(L"Lullan fuzz");
  test::ScriptedDomain domain;
  domain.DomainController(L"DC01");
  domain.AddGroups({L"Domain Users", L"Sales", L"Staff", L"Lab Students", L"Night Shift"});
  test::ScopedPlatform seams;
  seams.Use(domain);

  const std::wstring root = ChildRoot();
  FuzzCase fuzz(root);
  for (uint64_t n = first; n < first + count; ++n) {
    ReportCase("begin", n);
    fuzz.Run(seed, n, keepMarksOut);
    ReportCase("end", n);
  }
  test::DeleteTree(HKEY_LOCAL_MACHINE, root);
  return 0;
}

// Notes by what they say, without the parts that differ from case to case
// (a box's random path, a count).
std::string NoteKind(std::string_view text) {
  size_t cut = std::min(text.find_first_of("\"0123456789"), text.size());
  return std::string(text.substr(0, std::min<size_t>(cut, 70)));
}

int RunParent(uint64_t cases, uint64_t seed) {
  if (KeepMarksOut()) {
    std::printf(
        "note: this Wine's text shaping crashes on a ligature followed by a combining mark (an edit box given "
        "U+0644 U+0627 U+064E crashed): the texts leave out the Hebrew points U+05B0-U+05C7 and U+FB1E and the "
        "Arabic marks U+0610-U+061A, U+064B-U+065F and U+0670\n");
  }
  ChildCases children(ProgramCommand(Self()) + FormatText(L" --child %llu", static_cast<unsigned long long>(seed)),
                      kCasesPerChild);

  uint64_t outOfRange = 0;
  std::map<std::string, std::pair<uint64_t, uint64_t>> notes;  // kind: how many, first case
  CaseTally tally = children.Run(cases, [&](uint64_t n, std::string_view word, std::string_view text) {
    if (word == "note") {
      auto [it, added] = notes.try_emplace(NoteKind(text), 0, n);
      ++it->second.first;
      return;
    }
    if (word == "out") ++outOfRange;
    std::printf("case %llu: %.*s: %.*s\n", static_cast<unsigned long long>(n), static_cast<int>(word.size()),
                word.data(), static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
  });
  // Children that were ended leave their keys behind.
  test::DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\LullanFuzz");

  for (const auto& [kind, seen] : notes) {
    std::printf("note: %llu cases (the first %llu): %s\n", static_cast<unsigned long long>(seen.first),
                static_cast<unsigned long long>(seen.second), kind.c_str());
  }
  std::printf("sheet-fuzz: cases=%llu crashes=%llu hangs=%llu out_of_range=%llu\n",
              static_cast<unsigned long long>(tally.cases), static_cast<unsigned long long>(tally.crashes),
              static_cast<unsigned long long>(tally.hangs), static_cast<unsigned long long>(outOfRange));
  return tally.crashes || tally.hangs || outOfRange ? 1 : 0;
}

uint64_t Argument(int argc, wchar_t** argv, int index, uint64_t absent) {
  return index < argc ? std::wcstoull(argv[index], nullptr, 0) : absent;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wstring(argv[1]) == kShapingProbe) {
    EndCrashesQuietly();
    return ShowLigatureWithMark();
  }
  if (argc > 1 && std::wstring(argv[1]) == L"--child") {
    return RunChild(Argument(argc, argv, 2, kDefaultSeed), Argument(argc, argv, 3, 0), Argument(argc, argv, 4, 1));
  }
  return RunParent(Argument(argc, argv, 1, kDefaultCases), Argument(argc, argv, 2, kDefaultSeed));
}
