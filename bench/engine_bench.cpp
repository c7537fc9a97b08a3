// The idle-logoff engine's costs, in one run:
//  - one decision over 200 sessions (median of 2,000, each session in groups
//    of both kinds; the goal is at most 1,000 us);
//  - the processor time the service and its agent take in a minute of
//    watching an idle session (the real lullan.exe under Wine's service
//    control manager; the goal is at most 60 ms each);
//  - the agent's committed private memory beside that of a program that only
//    creates one window, measured in the same run (the goal: at most 1,024 KB
//    more);
//  - the growth of the engine's handle count over 1,000 session logons and
//    logoffs (in process, with the sessions seam's fake; the goal is 0).
// The last line is
//   engine-bench: sessions=200 decide_us=D agent_cpu_ms_per_min=A service_cpu_ms_per_min=S
//                 agent_private_kb=K baseline_private_kb=B handle_growth=H
// Run it with scripts/wine-bench.sh <build-dir> engine_bench.exe [watch-seconds].
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "decisions.h"
#include "engine.h"
#include "fake_platform.h"
#include "handles.h"
#include "installed_service.h"
#include "packed_time.h"
#include "process_measures.h"
#include "product.h"
#include "registry_fixture.h"
#include "session_process.h"
#include "text_format.h"

using namespace lullan;
using namespace std::chrono_literals;

namespace {

constexpr int kSessions = 200;

std::wstring Folder() {
  std::wstring self = engine::ThisProgram();
  return self.substr(0, self.find_last_of(L'\\'));
}

double DecideMicroseconds() {
  engine::EngineConfig config;
  config.enableDailyLogoff = true;
  config.dailyLogoffTime = PackTime(23, 0);
  config.onlyIfLocked = true;
  for (int g = 0; g < 20; ++g) {
    config.groups.push_back({FormatText(L"Group %02d", g),
                             g % 4 == 0 ? config::GroupKind::ClockTime : config::GroupKind::Minutes,
                             g % 4 == 0 ? PackTime(18 + g % 5, 0) : static_cast<DWORD>(30 + g)});
  }
  std::vector<engine::SessionFacts> sessions(kSessions);
  for (int i = 0; i < kSessions; ++i) {
    engine::SessionFacts& s = sessions[i];
    s.id = static_cast<DWORD>(i + 1);
    s.user = FormatText(L"user%03d", i);
    std::vector<std::wstring> groups = {L"Domain Users", FormatText(L"Group %02d", i % 20),
                                        FormatText(L"Group %02d", (i * 7) % 20)};
    s.limit = engine::LimitFor(config, groups);
    s.locked = i % 2 == 0;
  }
  engine::Decider decider(config);
  SYSTEMTIME local{2026, 12, 1, 7, 9, 0, 0, 0};
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int round = 0; round < 2000; ++round) {
    engine::Tick now = 3600000 + round * 1000ull;
    local.wMinute = static_cast<WORD>(round / 60 % 60);
    local.wSecond = static_cast<WORD>(round % 60);
    for (engine::SessionFacts& s : sessions) s.lastInput = s.lastKeyInput = now - 10000;  // everyone at work
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    std::vector<engine::Step> steps = decider.Decide(now, local, sessions, 50);
    ::QueryPerformanceCounter(&end);
    if (!steps.empty()) std::printf("unexpected steps in round %d\n", round);
    times.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
  }
  std::sort(times.begin(), times.end());
  std::printf("decide: %d sessions, median %.1f us, worst %.1f us of %zu decisions\n", kSessions,
              times[times.size() / 2], times.back(), times.size());
  return times[times.size() / 2];
}

struct Watching {
  double agentMs = -1;
  double serviceMs = -1;
  SIZE_T agentPrivate = 0;
};

std::string ReadLog(const std::wstring& path) {
  std::ifstream file(Narrow(path), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The real service and its agent watching an idle session for `seconds`.
Watching WatchIdleSession(int seconds) {
  Watching result;
  const std::wstring key = VersionKeyPath();
  const std::wstring folder = Folder();
  test::DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
  test::WriteString(HKEY_LOCAL_MACHINE, key, L"InstallDir", folder);
  test::WriteDword(HKEY_LOCAL_MACHINE, key, L"UseLogFile", 1);
  test::WriteDword(HKEY_LOCAL_MACHINE, key, L"DryRun", 1);
  const std::wstring log = folder + L"\\lullan.log";
  ::DeleteFileW(log.c_str());
  test::InstalledService service(FormatText(L"LullanBench%lu", ::GetCurrentProcessId()));
  if (!service.Create(ProgramCommand(folder + L"\\lullan.exe"),
                      SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS) ||
      !service.Start() || !service.WaitForState(SERVICE_RUNNING, 30s)) {
    std::printf("the service did not start (state %lu)\n", service.State());
    service.Remove();
    return result;
  }
  DWORD agentId = 0;
  std::regex watching("is watching \\(process (\\d+)\\)");
  for (auto end = std::chrono::steady_clock::now() + 30s; agentId == 0 && std::chrono::steady_clock::now() < end;) {
    std::string text = ReadLog(log);
    std::smatch match;
    if (std::regex_search(text, match, watching)) agentId = std::stoul(match[1].str());
    std::this_thread::sleep_for(200ms);
  }
  const DWORD serviceId = service.ProcessId();
  if (agentId == 0 || serviceId == 0) {
    std::printf("no agent reported\n%s\n", ReadLog(log).c_str());
    service.Remove();
    return result;
  }
  std::this_thread::sleep_for(5s);  // past the start's work
  auto start = std::chrono::steady_clock::now();
  double agentBefore = bench::ProcessorMs(agentId);
  double serviceBefore = bench::ProcessorMs(serviceId);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  double minutes = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 60;
  result.agentMs = (bench::ProcessorMs(agentId) - agentBefore) / minutes;
  result.serviceMs = (bench::ProcessorMs(serviceId) - serviceBefore) / minutes;
  unique_handle agent(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, agentId));
  if (agent) result.agentPrivate = bench::PrivateBytes(agent.get());
  std::printf("watching an idle session for %d s: agent %.1f ms, service %.1f ms of processor per minute\n", seconds,
              result.agentMs, result.serviceMs);
  service.Remove();
  test::DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
  ::DeleteFileW(log.c_str());
  return result;
}

// A program that only creates one window, as the yardstick of the agent's memory.
SIZE_T BaselinePrivateBytes() {
  std::wstring program = Folder() + L"\\minimal_window.exe";
  std::wstring line = ProgramCommand(program);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return 0;
  unique_handle process(started.hProcess);
  unique_handle thread(started.hThread);
  ::WaitForInputIdle(process.get(), 10000);
  ::Sleep(2000);
  SIZE_T bytes = bench::PrivateBytes(process.get());
  ::TerminateProcess(process.get(), 0);
  ::WaitForSingleObject(process.get(), 5000);
  return bytes;
}

// 1,000 sessions logging on and off a workstation whose console session stays.
long HandleGrowth(int logons) {
  test::FakeSessions sessions;
  test::FixedClock clock;
  test::RecordingEventLog events;
  test::ScopedPlatform scope;
  scope.Use(sessions).Use(clock).Use(events);
  const std::wstring key = FormatText(L"SOFTWARE\\Fennick\\LullanBench-%lu", ::GetCurrentProcessId());
  test::DeleteTree(HKEY_LOCAL_MACHINE, key);
  test::WriteDword(HKEY_LOCAL_MACHINE, key, L"IdleMinutes", 30);
  engine::EngineOptions options;
  options.versionKeyPath = key;
  options.agentProgram = Folder() + L"\\stub_agent.exe";
  options.agentQuitWait = 200;
  long growth = 0;
  {
    engine::Engine engine(options);
    if (!engine.Start()) return -1;
    auto cycle = [&](DWORD id) {
      sessions.List({{1, WTSActive}, {id, WTSActive}});
      engine.reports().Push(engine::SessionsChanged{});
      engine.Turn();
      sessions.List({{1, WTSActive}});
      engine.reports().Push(engine::SessionsChanged{});
      engine.Turn();
    };
    auto settle = [&] {  // the pipe thread closes what the last logoff left
      ::Sleep(300);
      engine.Turn();
    };
    for (DWORD id = 2; id < 7; ++id) cycle(id);  // the first ones fill the runtime's and the system's caches
    settle();
    {  // The count must see a handle left open, or its flat line would prove nothing.
      DWORD alone = bench::CountOpenHandles();
      unique_handle probe(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
      std::printf("handle count self-check: one open event shows as %+ld\n",
                  static_cast<long>(bench::CountOpenHandles()) - static_cast<long>(alone));
    }
    DWORD before = bench::CountOpenHandles();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < logons; ++i) cycle(static_cast<DWORD>(100 + i));
    settle();
    DWORD after = bench::CountOpenHandles();
    growth = static_cast<long>(after) - static_cast<long>(before);
    std::printf("%d logons and logoffs in %.1f s: %lu handles before, %lu after\n", logons,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), before, after);
    engine.Stop();
  }
  test::DeleteTree(HKEY_LOCAL_MACHINE, key);
  return growth;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int watchSeconds = argc > 1 ? _wtoi(argv[1]) : 60;
  double decideUs = DecideMicroseconds();
  long handleGrowth = HandleGrowth(1000);
  Watching watching = WatchIdleSession(watchSeconds);
  SIZE_T baseline = BaselinePrivateBytes();
  std::printf(
      "engine-bench: sessions=%d decide_us=%.0f agent_cpu_ms_per_min=%.0f service_cpu_ms_per_min=%.0f "
      "agent_private_kb=%llu baseline_private_kb=%llu handle_growth=%ld\n",
      kSessions, decideUs, watching.agentMs, watching.serviceMs,
      static_cast<unsigned long long>(watching.agentPrivate / 1024), static_cast<unsigned long long>(baseline / 1024),
      handleGrowth);
  return 0;
}
