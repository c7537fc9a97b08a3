#include "scan_threads.h"

#include <process.h>

#include <algorithm>
#include <utility>

#include "computer_probe.h"
#include "console_messages.h"
#include "purge.h"
#include "service_state.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

constexpr size_t kComputersPerWorker = 4;
constexpr wchar_t kCreateFailed[] = L"Error creating thread";

// The scan's computers, shared by the waiter and the workers: each worker
// writes what it learns into its own rows only.
using ScannedComputers = std::vector<ScannedComputer>;

// Owned, and freed, by the thread it is handed to.
struct WorkerContext {
  std::shared_ptr<ConsoleState> state;
  std::shared_ptr<ScannedComputers> computers;
  size_t first = 0;
  size_t end = 0;
};

struct WaiterContext {
  std::shared_ptr<ConsoleState> state;
  std::shared_ptr<ScannedComputers> computers;
  ConsoleSettings settings;
};

void ScanComputer(ConsoleState& state, ScannedComputer& computer, MessageSink& messages) {
  ServiceState code = QueryServiceState(computer.name, messages);
  state.reports.Push(ServiceAnswered{computer.name, code});
  if (code == ServiceState::NotReachable) {
    computer.noService = true;
    return;
  }

  // The progress lines go out under the probe lock, so that they count up in
  // the order the probes end.
  CriticalSectionLock hold(state.probeLock);
  if (std::optional<ProbeResult> probed = ProbeComputer(state, computer.name, messages))
    state.reports.Push(ComputerProbed{computer.name, std::move(*probed)});
  int found = ++state.found;
  int total = state.total;
  state.reports.Push(StatusText{FormatText(L"Lullan found on %d of %d computers -- continuing scan...", found, total)});
  if (found == total) state.reports.Push(StatusText{L"Ready"});
}

unsigned __stdcall ScanWorker(void* context) noexcept {
  std::unique_ptr<WorkerContext> worker(static_cast<WorkerContext*>(context));
  ConsoleState& state = *worker->state;
  ScanMessageSink messages(state.reports);
  try {
    for (size_t row = worker->first; row < worker->end; ++row) {
      if (state.stop) break;
      ScannedComputer& computer = (*worker->computers)[row];
      if (!computer.name.empty()) ScanComputer(state, computer, messages);
    }
  } catch (...) {
    // Out of memory: this worker's remaining computers stay unexamined.
  }
  return 0;
}

// A thread at normal priority with the default stack, created suspended. The
// context is the thread's once it runs; otherwise it stays the caller's.
template <typename Context>
unique_handle CreateSuspended(unsigned(__stdcall* procedure)(void*) noexcept, std::unique_ptr<Context>& context) {
  unique_handle thread(
      reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, procedure, context.get(), CREATE_SUSPENDED, nullptr)));
  if (thread) context.release();
  return thread;
}

std::vector<unique_handle> StartWorkers(WaiterContext& waiter) {
  const size_t rows = waiter.computers->size();
  size_t count = std::max<size_t>(1, (rows + kComputersPerWorker - 1) / kComputersPerWorker);
  std::vector<unique_handle> workers;
  for (size_t index = 0; index < count; ++index) {
    auto worker = std::make_unique<WorkerContext>();
    worker->state = waiter.state;
    worker->computers = waiter.computers;
    worker->first = std::min(rows, index * kComputersPerWorker);
    worker->end = std::min(rows, worker->first + kComputersPerWorker);
    unique_handle thread = CreateSuspended(&ScanWorker, worker);
    if (!thread) {
      waiter.state->reports.Push(ScanMessage{LastErrorMessage(kCreateFailed)});
      continue;
    }
    ::ResumeThread(thread.get());
    workers.push_back(std::move(thread));
  }
  return workers;
}

unsigned __stdcall ScanWaiter(void* context) noexcept {
  std::unique_ptr<WaiterContext> waiter(static_cast<WaiterContext*>(context));
  try {
    std::vector<unique_handle> workers = StartWorkers(*waiter);
    for (unique_handle& worker : workers) {
      ::WaitForSingleObject(worker.get(), INFINITE);
      worker.reset();
    }
    ConsoleState& state = *waiter->state;
    if (waiter->settings.purge) state.total -= PurgeComputers(state, *waiter->computers, waiter->settings);
    state.reports.Push(ScanFinished{});
  } catch (...) {
    // Out of memory: workers not yet waited for are closed with the vector,
    // and the scan's last word is lost.
  }
  return 0;
}

}  // namespace

unique_handle StartScanThreads(const std::shared_ptr<ConsoleState>& state, std::vector<ScannedComputer> computers,
                               const ConsoleSettings& settings, HWND owner) {
  auto waiter = std::make_unique<WaiterContext>();
  waiter->state = state;
  waiter->computers = std::make_shared<ScannedComputers>(std::move(computers));
  waiter->settings = settings;
  unique_handle thread = CreateSuspended(&ScanWaiter, waiter);
  if (!thread) {
    ReportLastError(owner, kCreateFailed);
    state->reports.Push(ScanFinished{});
    return thread;
  }
  ::ResumeThread(thread.get());
  return thread;
}

}  // namespace lullan::tarnel
