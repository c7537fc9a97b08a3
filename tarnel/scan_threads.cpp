#include "scan_threads.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <utility>

#include "computer_probe.h"
#include "console_messages.h"
#include "purge.h"
#include "service_state.h"

namespace lullan::tarnel {

namespace {

constexpr size_t kComputersPerWorker = 4;
// Workers at once. One per four computers up to 1,024 computers; a larger
// domain's computers wait for a worker to be free.
constexpr size_t kMostWorkers = 256;
// A worker goes no deeper than a registry or service call: a small stack
// keeps 256 of them within a 32-bit address space.
constexpr unsigned kWorkerStackBytes = 64 * 1024;
constexpr wchar_t kCreateFailed[] = L"Error creating thread";

// The scan's computers, shared by the waiter and the workers: each worker
// writes what it learns into the rows it took only.
struct ScanWork {
  std::shared_ptr<ConsoleState> state;
  std::vector<ScannedComputer> computers;
  std::atomic<size_t> nextRow{0};  // the first row no worker has taken
};

// Owned, and freed, by the thread it is handed to.
struct WorkerContext {
  std::shared_ptr<ScanWork> work;
  size_t firstRow = 0;  // of its four rows
};

struct WaiterContext {
  std::shared_ptr<ScanWork> work;
  ConsoleSettings settings;
};

void ScanComputer(ConsoleState& state, ScannedComputer& computer, MessageSink& messages) {
  ServiceState code = QueryServiceState(computer.name, messages);
  state.reports.Push(ServiceAnswered{computer.name, code});
  if (code == ServiceState::NotReachable) {
    computer.noService = true;
    return;
  }
  if (std::optional<ProbeResult> probed = ProbeComputer(state, computer.name, messages, computer.fromAccounts))
    state.reports.Push(ComputerProbed{computer.name, std::move(*probed)});
  // Probes end in any order; the dialog shows the highest count it has seen.
  state.reports.Push(ScanProgress{++state.found, state.total});
}

unsigned __stdcall ScanWorker(void* context) noexcept {
  std::unique_ptr<WorkerContext> worker(static_cast<WorkerContext*>(context));
  ScanWork& work = *worker->work;
  ConsoleState& state = *work.state;
  ScanMessageSink messages(state.reports);
  const size_t rows = work.computers.size();
  try {
    // Worker i starts with rows 4i to 4i+3; then, in a domain of more than
    // 1,024 computers, it takes the next row no worker has taken, one at a
    // time, so that the workers run out of rows together.
    const size_t firstEnd = std::min(rows, worker->firstRow + kComputersPerWorker);
    for (size_t row = worker->firstRow; row < rows && !state.stop;
         row = row + 1 < firstEnd ? row + 1 : work.nextRow++) {
      ScannedComputer& computer = work.computers[row];
      if (!computer.name.empty()) ScanComputer(state, computer, messages);
    }
  } catch (...) {
    // Out of memory: this worker's remaining computers stay unexamined.
  }
  return 0;
}

// A thread at normal priority with `stackBytes` of stack reserved (0: the
// program's default). The context is the thread's once it has started;
// otherwise it stays the caller's. (Started at once: under Wine a thread
// created suspended costs one more trip to the server, 256 times a scan.)
template <typename Context>
unique_handle StartThread(unsigned(__stdcall* procedure)(void*) noexcept, std::unique_ptr<Context>& context,
                          unsigned stackBytes = 0) {
  unique_handle thread(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, stackBytes, procedure, context.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)));
  if (thread) context.release();  // the thread frees it, perhaps already has
  return thread;
}

std::vector<unique_handle> StartWorkers(const std::shared_ptr<ScanWork>& work) {
  const size_t rows = work->computers.size();
  const size_t count = std::clamp<size_t>((rows + kComputersPerWorker - 1) / kComputersPerWorker, 1, kMostWorkers);
  work->nextRow = count * kComputersPerWorker;
  std::vector<unique_handle> workers;
  workers.reserve(count);
  for (size_t index = 0; index < count; ++index) {
    auto worker = std::make_unique<WorkerContext>();
    worker->work = work;
    worker->firstRow = index * kComputersPerWorker;
    unique_handle thread = StartThread(&ScanWorker, worker, kWorkerStackBytes);
    if (!thread) {
      work->state->reports.Push(ScanMessage{LastErrorMessage(kCreateFailed)});
      continue;
    }
    workers.push_back(std::move(thread));
  }
  return workers;
}

unsigned __stdcall ScanWaiter(void* context) noexcept {
  std::unique_ptr<WaiterContext> waiter(static_cast<WaiterContext*>(context));
  ConsoleState& state = *waiter->work->state;
  try {
    std::vector<unique_handle> workers = StartWorkers(waiter->work);
    for (unique_handle& worker : workers) {
      ::WaitForSingleObject(worker.get(), INFINITE);
      worker.reset();
    }
    if (waiter->settings.purge) state.total -= PurgeComputers(state, waiter->work->computers, waiter->settings);
  } catch (...) {
    // Out of memory: workers not yet waited for are closed with the vector.
  }
  // Whatever happened on the way, the dialog learns that the scan is over.
  state.reports.Finish();
  return 0;
}

}  // namespace

unique_handle StartScanThreads(const std::shared_ptr<ConsoleState>& state, std::vector<ScannedComputer> computers,
                               const ConsoleSettings& settings, HWND owner) {
  auto waiter = std::make_unique<WaiterContext>();
  waiter->work = std::make_shared<ScanWork>();
  waiter->work->state = state;
  waiter->work->computers = std::move(computers);
  waiter->settings = settings;
  unique_handle thread = StartThread(&ScanWaiter, waiter);
  if (!thread) {
    ReportLastError(owner, kCreateFailed);
    state->reports.Finish();
  }
  return thread;
}

}  // namespace lullan::tarnel
