// The console's scan of a large domain over a slow network:
//
//   scan_bench [--computers N] [--delay-ms D] [--probe-threads P]
//
// N computers (1,024 unless told), each running Lullan with a user logged
// on; every call of the remote registry and remote service manager seams
// waits D ms (20); the console setting ProbeThreads is P (0: one registry
// probe at a time). Measured in the same run:
//
//   total_ms    the scan as the administrator sees it, from Refresh (which
//               runs ScanNetwork) to the final status text;
//   bound_ms    what this design allows at best: the same seam calls by a
//               pool of as many workers as the console runs (one per four
//               computers, at most 256; each takes its four, then the next
//               computer no worker has taken), each computer's service query and
//               then its registry connection, P of those at once (one when
//               P is 0), without the dialog, its list or its reports;
//   worst_ui_ms the longest the dialog took to answer a message posted to it
//               every 10 ms while the scan ran.
//
// Before the measured scan the console scans the first 1,024 computers once
// without delays, as it does when it starts: the list's first rows and
// scroll bars are painted and the workers' first threads have run, costs
// Wine pays once per process (the first paint of a filled list takes a few
// hundred milliseconds under Wine; that scan's worst answer is printed too).
// Printed as well: when the scan's threads ended (the rest of total_ms is
// the dialog catching up with their reports) and the processor time the
// process used meanwhile; the reserved address space before the measured
// scan, at its peak and once its threads have ended, and the handles before
// and after; then the time a column-heading click takes to sort the list.
//
// The last line reads
//   scan-bench: computers=N delay_ms=D probe_threads=P total_ms=T bound_ms=B ratio=R worst_ui_ms=U
// The goals: with 1,024 computers, 20 ms and P=0, R <= 1.1 and U <= 100; with
// 10,000 computers, 20 ms and P=128, T <= 5000 and U <= 100.
#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fake_platform.h"
#include "handles.h"
#include "message_box.h"
#include "probe_gate.h"
#include "process_usage.h"
#include "resource.h"
#include "scripted_domain.h"
#include "scripted_service_manager.h"
#include "server_panel_app.h"
#include "server_panel_dlg.h"
#include "text_format.h"

using namespace lullan;
using namespace lullan::test;

namespace {

constexpr DWORD kPostEveryMs = 10;
constexpr int kWarmUpComputers = 1024;
constexpr size_t kComputersPerWorker = 4;
constexpr size_t kMostWorkers = 256;
constexpr wchar_t kVersionKey[] = L"SOFTWARE\\Fennick\\Lullan\\1.11";
constexpr wchar_t kWinlogonKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr wchar_t kBenchRoot[] = L"SOFTWARE\\LullanBench";
constexpr wchar_t kBenchConsoleKey[] = L"SOFTWARE\\LullanBench\\1.11\\Tarnel";

struct Options {
  int computers = 1024;
  DWORD delayMs = 20;
  DWORD probeThreads = 0;
};

bool ReadOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const unsigned long value = std::wcstoul(argv[i + 1], nullptr, 10);
    if (std::wcscmp(argv[i], L"--computers") == 0) {
      options.computers = static_cast<int>(std::max(1ul, value));
    } else if (std::wcscmp(argv[i], L"--delay-ms") == 0) {
      options.delayMs = value;
    } else if (std::wcscmp(argv[i], L"--probe-threads") == 0) {
      options.probeThreads = std::min<DWORD>(value, tarnel::kMostProbeThreads);
    } else {
      return false;
    }
  }
  return argc % 2 == 1;
}

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

// The processor time this process has used.
double ProcessCpuMs() {
  FILETIME created{}, exited{}, kernel{}, user{};
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

double Mib(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

std::wstring ComputerName(int index) { return FormatText(L"PC-%05d", index + 1); }

// Every computer runs Lullan, has a user logged on and a daily logoff time.
void BuildDomain(int computers, ScriptedServiceManager& services, FakeRemoteRegistry& registry) {
  for (int i = 0; i < computers; ++i) {
    std::wstring name = ComputerName(i);
    services.On(name).Service(L"Lullan", SERVICE_RUNNING);
    HKEY machine = registry.AddMachine(name);
    WriteDword(machine, kVersionKey, L"sims$", static_cast<DWORD>(i % 90));
    WriteDword(machine, kVersionKey, L"EnableDailyLogoff", 1);
    WriteDword(machine, kVersionKey, L"DailyLogoffTime", 0x0011001E);
    WriteString(machine, kVersionKey, L"PrevUser", FormatText(L"user%d", i + 7));
    WriteString(machine, kVersionKey, L"Profile", L"stdLogoff");
    WriteString(machine, kWinlogonKey, L"DefaultUserName", FormatText(L"user%d", i));
  }
}

// The design's bound: a pool of workers like the console's, each taking its
// four computers, then the next one no worker has taken; for each computer
// its service query, then its registry connection with at most ProbeThreads
// of those at once.
struct BoundPool {
  const Options* options = nullptr;
  ScriptedServiceManager* services = nullptr;
  FakeRemoteRegistry* registry = nullptr;
  std::atomic<size_t> nextRow{0};
  std::unique_ptr<tarnel::ProbeGate> gate;  // the console's own

  void Probe(const std::wstring& name) {
    tarnel::ProbeGate::Hold hold(*gate);
    HKEY root = nullptr;
    std::wstring machine = L"\\\\" + name;
    if (registry->ConnectRegistry(machine.c_str(), HKEY_LOCAL_MACHINE, &root) == ERROR_SUCCESS) ::RegCloseKey(root);
  }
};

struct BoundWorker {
  BoundPool* pool;
  size_t firstRow;
};

unsigned __stdcall RunBoundWorker(void* context) noexcept {
  const BoundWorker worker = *static_cast<BoundWorker*>(context);
  BoundPool& pool = *worker.pool;
  const size_t computers = static_cast<size_t>(pool.options->computers);
  auto scan = [&pool](size_t i) {
    std::wstring name = ComputerName(static_cast<int>(i));
    SC_HANDLE manager = pool.services->OpenManager(name.c_str(), GENERIC_READ);
    SC_HANDLE service = pool.services->OpenNamedService(manager, L"Lullan", GENERIC_READ);
    SERVICE_STATUS status{};
    pool.services->QueryStatus(service, &status);
    pool.services->CloseHandle(service);
    pool.services->CloseHandle(manager);
    pool.Probe(name);
  };
  const size_t firstEnd = std::min(computers, worker.firstRow + kComputersPerWorker);
  for (size_t i = worker.firstRow; i < firstEnd; ++i) scan(i);
  for (size_t i = pool.nextRow++; i < computers; i = pool.nextRow++) scan(i);
  return 0;
}

double MeasureBound(const Options& options, ScriptedServiceManager& services, FakeRemoteRegistry& registry) {
  BoundPool pool;
  pool.options = &options;
  pool.services = &services;
  pool.registry = &registry;
  const size_t workers =
      std::min((static_cast<size_t>(options.computers) + kComputersPerWorker - 1) / kComputersPerWorker, kMostWorkers);
  pool.nextRow = workers * kComputersPerWorker;
  pool.gate = std::make_unique<tarnel::ProbeGate>(options.probeThreads);
  std::vector<BoundWorker> contexts(workers);
  std::vector<unique_handle> threads;
  const double start = Now();
  for (size_t i = 0; i < workers; ++i) {
    contexts[i] = BoundWorker{&pool, i * kComputersPerWorker};
    threads.emplace_back(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 64 * 1024, &RunBoundWorker, &contexts[i],
                                                                   STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)));
  }
  for (unique_handle& thread : threads) ::WaitForSingleObject(thread.get(), INFINITE);
  return Now() - start;
}

// The measured scan, driven from the dialog's own thread.
struct Run {
  Options options;
  ScriptedDomain* domain = nullptr;
  ScriptedServiceManager* services = nullptr;
  FakeRemoteRegistry* registry = nullptr;
  tarnel::CServerPanelDlg* dialog = nullptr;
  HWND panel = nullptr;
  WNDPROC dialogProcedure = nullptr;
  WNDPROC statusProcedure = nullptr;
  UINT probeMessage = 0;
  std::vector<double> posted;  // when each probe message was posted
  std::atomic<int> postedCount{0};
  std::atomic<bool> posting{false};
  std::atomic<bool> scanning{false};  // the measured scan
  std::atomic<bool> done{false};
  double worstWarmUpMs = 0;
  double worstUiMs = 0;
  double started = 0;
  double enumerationMs = 0;
  double ended = 0;
  std::atomic<bool> refreshReturned{false};
  double threadsEnded = 0;  // the scan's threads ended, this long after the start
  double cpuMs = 0;         // the process's processor time during the scan
  // The measured scan's preparation, on a thread of its own: under Wine the
  // handle count alone (a call per handle value, a handle per computer's
  // registry) takes the better part of a second, which on the dialog's
  // thread would be charged to the console.
  bool preparing = false;
  std::atomic<bool> prepared{false};
  double preparationMs = 0;
  ProcessUsage before{};
  ProcessUsage peak{};
  ProcessUsage after{};
  double sortMs[3] = {};
};
Run gRun;

// Answers the probe messages inside the dialog's window procedure.
LRESULT CALLBACK AnswerProbes(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == gRun.probeMessage) {
    auto index = static_cast<size_t>(wParam);
    double& worst = gRun.scanning ? gRun.worstUiMs : gRun.worstWarmUpMs;
    if (index < gRun.posted.size()) worst = std::max(worst, Now() - gRun.posted[index]);
    return 0;
  }
  return ::CallWindowProcW(gRun.dialogProcedure, window, message, wParam, lParam);
}

// The final status text ends the measured scan. (The status bar's window
// procedure is watched rather than the thread's messages through a hook:
// under Wine every hooked message costs a trip to the server.)
LRESULT CALLBACK WatchStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == SB_SETTEXTW && gRun.scanning && gRun.ended == 0) {
    std::wstring text = reinterpret_cast<const wchar_t*>(lParam);
    if (text.find(L"computers running Lullan service") != std::wstring::npos) {
      gRun.ended = Now();
      gRun.posting = false;
    }
  }
  return ::CallWindowProcW(gRun.statusProcedure, window, message, wParam, lParam);
}

// A click on a column's heading, as the list view tells its dialog; how long it took.
double SortByColumn(int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = ::GetDlgItem(gRun.panel, IDC_MACHINES);
  click.hdr.idFrom = IDC_MACHINES;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  const double start = Now();
  ::SendMessageW(gRun.panel, WM_NOTIFY, IDC_MACHINES, reinterpret_cast<LPARAM>(&click));
  return Now() - start;
}

// Once the warm-up scan has ended: the process's usage before the measured
// scan, and the domain grown to all its computers.
unsigned __stdcall PrepareMeasuredScan(void*) noexcept {
  const double start = Now();
  gRun.before = ProcessUsage::Now();
  gRun.peak = gRun.before;
  for (int i = kWarmUpComputers; i < gRun.options.computers; ++i) gRun.domain->AddComputer(ComputerName(i));
  gRun.preparationMs = Now() - start;
  gRun.prepared = true;
  return 0;
}

void StartMeasuredScan() {
  gRun.services->DelayEachCall(gRun.options.delayMs);
  gRun.registry->DelayEachCall(gRun.options.delayMs);
  gRun.statusProcedure = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      ::GetDlgItem(gRun.panel, IDC_STATUS_BAR), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchStatus)));
  gRun.scanning = true;
  gRun.cpuMs = -ProcessCpuMs();
  gRun.started = Now();
  ::SendMessageW(::GetDlgItem(gRun.panel, IDC_REFRESH), BM_CLICK, 0, 0);
  gRun.enumerationMs = Now() - gRun.started;
  gRun.refreshReturned = true;
}

// The whole run, a step per tick on the dialog's thread: find the dialog,
// let the warm-up scan end, start the measured scan, wait for its end and
// for its threads, sort, close.
void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  if (!gRun.panel) {
    gRun.panel = ::FindWindowW(L"#32770", tarnel::kProgramTitle);
    if (!gRun.panel) return;
    gRun.dialogProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(gRun.panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnswerProbes)));
    gRun.posting = true;
    return;
  }
  const bool scanEnded = ::IsWindowEnabled(::GetDlgItem(gRun.panel, IDC_REFRESH)) != FALSE;
  if (!gRun.scanning) {
    if (scanEnded && !std::exchange(gRun.preparing, true)) {
      // Its handle is closed at once, so that the count before the scan
      // does not include it.
      unique_handle thread(
          reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &PrepareMeasuredScan, nullptr, 0, nullptr)));
      if (!thread) PrepareMeasuredScan(nullptr);
    }
    if (gRun.prepared) StartMeasuredScan();
    return;
  }
  if (gRun.ended == 0 || !scanEnded || !gRun.dialog->WaitForScan(0)) return;
  ::KillTimer(nullptr, timer);
  gRun.cpuMs += ProcessCpuMs();
  gRun.after = ProcessUsage::Now();
  gRun.done = true;
  gRun.sortMs[0] = SortByColumn(tarnel::kComputerColumn);
  gRun.sortMs[1] = SortByColumn(tarnel::kCurrentUserColumn);
  gRun.sortMs[2] = SortByColumn(tarnel::kIdleForColumn);
  ::PostMessageW(gRun.panel, WM_COMMAND, IDCANCEL, 0);
}

double MeasureScan(ScriptedDomain& domain) {
  gRun.probeMessage = ::RegisterWindowMessageW(L"LullanScanBenchProbe");
  gRun.posted.assign(1000000, 0.0);
  std::thread poster([] {
    while (!gRun.done && gRun.postedCount < static_cast<int>(gRun.posted.size())) {
      ::Sleep(kPostEveryMs);
      if (!gRun.posting) continue;
      int index = gRun.postedCount;
      gRun.posted[static_cast<size_t>(index)] = Now();
      ++gRun.postedCount;
      ::PostMessageW(gRun.panel, gRun.probeMessage, static_cast<WPARAM>(index), 0);
    }
  });
  // The address space at its fullest while the measured scan's threads run,
  // and when they have ended.
  std::thread watcher([] {
    while (!gRun.done) {
      ::Sleep(gRun.refreshReturned ? 10 : 100);
      if (!gRun.scanning) continue;
      gRun.peak.reservedBytes = std::max(gRun.peak.reservedBytes, ProcessUsage::ReservedBytes());
      // Once Refresh has returned, the dialog waits on the measured scan's threads.
      if (gRun.refreshReturned && gRun.threadsEnded == 0 && gRun.dialog->WaitForScan(0))
        gRun.threadsEnded = Now() - gRun.started;
    }
  });

  // The console's settings: no purge (every computer answers anyway), and
  // the probes at once the run asks for.
  DeleteTree(HKEY_LOCAL_MACHINE, kBenchRoot);
  WriteDword(HKEY_LOCAL_MACHINE, kBenchConsoleKey, L"Purge", 0);
  WriteDword(HKEY_LOCAL_MACHINE, kBenchConsoleKey, L"ProbeThreads", gRun.options.probeThreads);
  domain.DomainController(L"DC1");
  tarnel::CServerPanelApp app(kBenchConsoleKey);
  app.InitInstance();
  tarnel::CServerPanelDlg panel(app);
  gRun.dialog = &panel;
  UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &Tick);
  panel.DoModal(nullptr);
  ::KillTimer(nullptr, timer);
  gRun.done = true;
  poster.join();
  watcher.join();
  panel.WaitForScan(INFINITE);
  return gRun.ended - gRun.started;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options& options = gRun.options;
  if (!ReadOptions(argc, argv, options)) {
    std::printf("usage: scan_bench [--computers N] [--delay-ms D] [--probe-threads P]\n");
    return 2;
  }
  ui::SetProgramTitle(tarnel::kProgramTitle);
  ScriptedDomain domain;
  ScriptedServiceManager services;
  FakeRemoteRegistry registry;
  std::printf("scan-bench: building %d computers...\n", options.computers);
  std::fflush(stdout);
  BuildDomain(options.computers, services, registry);
  // The warm-up scan finds the first computers, at once.
  for (int i = 0; i < std::min(options.computers, kWarmUpComputers); ++i) domain.AddComputer(ComputerName(i));
  gRun.domain = &domain;
  gRun.services = &services;
  gRun.registry = &registry;

  ScopedPlatform platform;
  platform.Use(domain).Use(services).Use(registry);
  const double total = MeasureScan(domain);
  std::printf("scan-bench: the warm-up scan of %d computers answered within %.0f ms (the list's first paint)\n",
              std::min(options.computers, kWarmUpComputers), gRun.worstWarmUpMs);
  std::printf("scan-bench: the measured scan's preparation took %.0f ms, off the dialog's thread\n",
              gRun.preparationMs);
  std::printf("scan-bench: Refresh returned after %.0f ms\n", gRun.enumerationMs);
  std::printf(
      "scan-bench: the console's scan took %.0f ms (its threads ended after %.0f ms, %.0f ms of processor time); "
      "the dialog answered within %.0f ms (%d messages)\n",
      total, gRun.threadsEnded, gRun.cpuMs, gRun.worstUiMs, gRun.postedCount.load());
  std::printf(
      "scan-bench: reserved address space %.1f MiB before the scan, %.1f MiB at its peak, %.1f MiB after its "
      "threads ended; handles %lu before, %lu after\n",
      Mib(gRun.before.reservedBytes), Mib(gRun.peak.reservedBytes), Mib(gRun.after.reservedBytes), gRun.before.handles,
      gRun.after.handles);
  std::printf("scan-bench: sorting %d rows took %.0f ms by name, %.0f ms by user, %.0f ms by idle time\n",
              options.computers, gRun.sortMs[0], gRun.sortMs[1], gRun.sortMs[2]);
  std::fflush(stdout);
  const double bound = MeasureBound(options, services, registry);
  std::printf("scan-bench: the same calls without the console took %.0f ms\n", bound);
  std::printf(
      "scan-bench: computers=%d delay_ms=%lu probe_threads=%lu total_ms=%.0f bound_ms=%.0f ratio=%.2f "
      "worst_ui_ms=%.0f\n",
      options.computers, options.delayMs, options.probeThreads, total, bound, total / bound, gRun.worstUiMs);
  DeleteTree(HKEY_LOCAL_MACHINE, kBenchRoot);
  return 0;
}
