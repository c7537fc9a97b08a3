// Steady state of the configuration monitor: a workstation whose profile
// differs from the server's copies it in every cycle for as long as the
// service runs. This runs 1,000 such cycles against a profile with 100 group
// values and shows that the process's handle count and private bytes stay
// flat after the first copy, and how long one cycle takes.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "fake_platform.h"
#include "handles.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "product.h"
#include "process_measures.h"
#include "profile_sync.h"
#include "registry_fixture.h"
#include "text_format.h"

using namespace lullan;

namespace {

struct Sample {
  DWORD handles;
  SIZE_T privateBytes;
};

// Wine's process counters report 0: both are walked (process_measures.h).
Sample Measure() { return Sample{bench::CountOpenHandles(), bench::PrivateBytes(::GetCurrentProcess())}; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int cycles = argc > 1 ? _wtoi(argv[1]) : 1000;

  test::FakeRemoteRegistry machines;
  test::FixedClock clock;
  test::RecordingEventLog events;
  test::ScopedPlatform scope;
  scope.Use(machines).Use(clock).Use(events);

  // The profile: the usual configuration values and 100 monitored groups.
  HKEY server = machines.AddMachine(L"PROFSRV");
  const std::wstring profile = ProfileKeyPath(L"stdLogoff");
  test::WriteDword(server, profile, L"ProfileLastChanged", 0x000E0005);
  test::WriteString(server, profile, L"Action", L"Logoff");
  test::WriteString(server, profile, L"ExcludeFiles", std::wstring(1000, L'x'));
  for (const wchar_t* flag : {L"IdleMinutes", L"ForceExit", L"RunScript", L"UseLogFile", L"UseMutex", L"IgnoreNet",
                              L"UseTray", L"EnableDailyLogoff", L"UseCancelDlg", L"CountdownSeconds"})
    test::WriteDword(server, profile, flag, 1);
  for (int g = 0; g < 100; ++g)
    test::WriteDword(server, profile + L"\\Groups", FormatText(L"mGroup %03d", g).c_str(), 30 + g);

  // The workstation, assigned to the profile with another stamp.
  const std::wstring local = VersionKeyPath();
  test::DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  test::WriteString(HKEY_LOCAL_MACHINE, local, L"LogDir", temp);
  test::WriteString(HKEY_LOCAL_MACHINE, local, L"Profile", L"stdLogoff");
  test::WriteString(HKEY_LOCAL_MACHINE, local, L"PLS", L"PROFSRV");
  test::WriteDword(HKEY_LOCAL_MACHINE, local, L"ProfileLastChanged", 1);

  profmon::Monitor().configKeyPath = local;
  for (int i = 0; i < 4; ++i) profmon::GetRegParams();  // the fourth cycle finds the difference and copies
  if (!profmon::Monitor().bRefreshRemoteConfig || test::CountValues(HKEY_LOCAL_MACHINE, local + L"\\Groups") != 100) {
    std::fprintf(stderr, "the first copy did not happen\n");
    return 1;
  }

  // The walk must see a key left open, or its flat line would prove nothing.
  {
    DWORD before = bench::CountOpenHandles();
    unique_hkey probe;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, local.c_str(), 0, KEY_READ, probe.put());
    std::printf("handle count self-check: one open key shows as %+ld\n",
                static_cast<long>(bench::CountOpenHandles()) - static_cast<long>(before));
  }
  machines.requests.clear();

  Sample first = Measure();
  std::printf("%8s %10s %14s\n", "cycle", "handles", "private bytes");
  std::printf("%8d %10lu %14llu\n", 0, first.handles, static_cast<unsigned long long>(first.privateBytes));
  Sample worst = first;
  // The fake server remembers every name asked for; forget them each cycle so
  // that only the monitor's own memory is measured.
  size_t connections = 0;
  auto start = std::chrono::steady_clock::now();
  for (int i = 1; i <= cycles; ++i) {
    profmon::GetRegParams();
    connections += machines.requests.size();
    machines.requests.clear();
    machines.requests.shrink_to_fit();
    if (i % (cycles / 10 > 0 ? cycles / 10 : 1) == 0) {
      Sample s = Measure();
      std::printf("%8d %10lu %14llu\n", i, s.handles, static_cast<unsigned long long>(s.privateBytes));
      if (s.handles > worst.handles) worst.handles = s.handles;
      if (s.privateBytes > worst.privateBytes) worst.privateBytes = s.privateBytes;
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("copies: %d in %.2f s, %.3f ms per cycle\n", cycles, seconds, 1000.0 * seconds / cycles);
  std::printf("growth after the first copy: %ld handles, %lld private bytes\n",
              static_cast<long>(worst.handles) - static_cast<long>(first.handles),
              static_cast<long long>(worst.privateBytes) - static_cast<long long>(first.privateBytes));
  std::printf("connections made in the measured cycles: %zu, events: %zu\n", connections, events.events.size());

  profmon::Log().Reset();
  test::DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
  ::DeleteFileW((std::wstring(temp) + L"\\LConfigMon.log").c_str());
  return 0;
}
