// How fast the configuration sheet comes up: setup's five-page sheet over a
// full configuration (every value stored, twenty monitored groups, a domain
// of two hundred global groups) is opened, every page is shown, and OK closes
// it, twenty times. Each run prints how long the sheet took to be ready for
// input (the first page shown and the sheet idle) and the whole walk:
//
//   scripts/wine-bench.sh build/test-i686 sheet_bench.exe
//
// The last line is `sheet-bench: runs=20 median_ms=M worst_ms=W`, of the
// times until ready for input (the goal is under 100 ms under Wine).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "config_host.h"
#include "config_key.h"
#include "fake_platform.h"
#include "packed_time.h"
#include "product.h"
#include "registry_fixture.h"
#include "scripted_domain.h"
#include "sheet_walk.h"
#include "text_format.h"

using namespace lullan;
using config::ConfigKey;

namespace {

constexpr int kRuns = 20;
constexpr wchar_t kRoot[] = L"SOFTWARE\\LullanBench";
constexpr wchar_t kVersionKey[] = L"SOFTWARE\\LullanBench\\1.11";

// A configuration as a busy workstation has it: every value the schema
// knows, most of them away from their defaults.
bool StoreFullConfiguration() {
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey key = ConfigKey::Create(kVersionKey, KEY_ALL_ACCESS, &status, &existed);
  if (!key) return false;
  struct Number {
    const wchar_t* name;
    DWORD value;
  };
  const Number numbers[] = {
      {L"IdleMinutes", 45},
      {L"ForceExit", 0},
      {L"RunScript", 1},
      {L"UseLogFile", 1},
      {L"UseMutex", 1},
      {L"IgnoreNet", 1},
      {L"UseTray", 0},
      {L"EnableDailyLogoff", 1},
      {L"DailyLogoffTime", PackTime(23, 0)},
      {L"OnlyLogoffIfLocked", 1},
      {L"OnlyLogoffIfScreenSaver", 0},
      {L"MultiGroupMaxPol", 0},
      {L"MultiGroupDltPol", 1},
      {L"MultiGroupValPol", 1},
      {L"UseCancelDlg", 1},
      {L"CountdownSeconds", 30},
      {L"EnableUserCancel", 1},
      {L"PlaySound", 1},
      {L"ExplorerSensitivity", 1},
      {L"NetBytesSec", 2048},
      {L"IgnoreKernel", 1},
      {L"MonitorMouse", 1},
      {L"ProfileLastChanged", PackTime(9, 5)},
      {L"sims$", 12},
      {L"Debug", 1},
  };
  struct Text {
    const wchar_t* name;
    const wchar_t* value;
  };
  const Text texts[] = {
      {L"Action", L"Shutdown"},
      {L"LogoffScript", L"\\\\FENNICK-FS1\\netlogon\\lullan\\logoff.cmd"},
      {L"LogDir", L"D:\\Logs\\Lullan"},
      {L"CustomMessage", L"This workstation shuts down in a moment. Save your work now."},
      {L"WavFile", L"C:\\WINNT\\Media\\chimes.wav"},
      {L"ExcludeFiles", L"notepad.exe,calc.exe,mstsc.exe,backup.exe,scanner.exe,winword.exe,excel.exe"},
      {L"Profile", L"stdShutdown"},
      {L"PLS", L"FENNICK-PS1"},
      {L"PrevUser", L"FENNICK\\jdoe"},
      {L"InstallDir", L"C:\\Program Files\\Lullan"},
  };
  for (const Number& n : numbers) key.WriteDword(n.name, n.value);
  for (const Text& t : texts) key.WriteText(t.name, t.value);
  // Every value the schema knows is there, or this is no full configuration.
  for (const config::Setting& setting : config::Settings()) {
    if (!key.QueryDword(setting.name) && !key.QueryText(setting.name)) {
      std::fprintf(stderr, "sheet-bench: the configuration lacks %ls\n", setting.name);
      return false;
    }
  }

  ConfigKey groups = ConfigKey::Create(GroupsKeyPath(kVersionKey), KEY_ALL_ACCESS, &status, &existed);
  if (!groups) return false;
  for (int i = 1; i <= 10; ++i) {
    groups.WriteDword(FormatText(L"mLab %02d Students", i).c_str(), static_cast<DWORD>(5 * i));
    groups.WriteDword(FormatText(L"dShift %02d", i).c_str(), PackTime(static_cast<unsigned>(12 + i), 30));
  }
  return true;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  size_t middle = times.size() / 2;
  return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

}  // namespace

int wmain() {
  test::ScriptedDomain domain;
  domain.DomainController(L"FENNICK-DC1");
  for (int i = 1; i <= 200; ++i) domain.AddGroup(FormatText(L"Global Group %03d", i));
  test::ScopedPlatform seams;
  seams.Use(domain);
  config::SetupHost setup(kVersionKey);

  std::vector<double> ready;
  std::vector<double> whole;
  for (int run = 1; run <= kRuns; ++run) {
    test::DeleteTree(HKEY_LOCAL_MACHINE, kRoot);
    if (!StoreFullConfiguration()) {
      std::fprintf(stderr, "sheet-bench: cannot store the configuration under HKLM\\%ls\n", kVersionKey);
      return 1;
    }
    bench::SheetWalk walk =
        bench::WalkSheet(setup, config::Target(), L"Lullan Configuration", config::SheetPages::Machine);
    if (walk.result != IDOK || walk.pagesShown.size() != 5 || !walk.boxes.empty() || !walk.troubles.empty()) {
      std::fprintf(stderr, "sheet-bench: run %d did not walk the sheet cleanly (%u pages shown)\n", run,
                   static_cast<unsigned>(walk.pagesShown.size()));
      for (const std::wstring& box : walk.boxes) std::fprintf(stderr, "  box %ls\n", box.c_str());
      for (const std::wstring& trouble : walk.troubles) std::fprintf(stderr, "  %ls\n", trouble.c_str());
      return 1;
    }
    ready.push_back(walk.readyMs);
    whole.push_back(walk.closedMs);
    std::printf("run %2d: ready for input after %5.1f ms; opened, every page shown and closed in %6.1f ms\n", run,
                walk.readyMs, walk.closedMs);
  }
  test::DeleteTree(HKEY_LOCAL_MACHINE, kRoot);

  std::printf("open-show-close: median %.0f ms, worst %.0f ms\n", Median(whole),
              *std::max_element(whole.begin(), whole.end()));
  std::printf("sheet-bench: runs=%d median_ms=%.0f worst_ms=%.0f\n", kRuns, Median(ready),
              *std::max_element(ready.begin(), ready.end()));
  return 0;
}
