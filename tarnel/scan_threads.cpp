#include "scan_threads.h"

#include <process.h>

#include <algorithm>
#include <utility>

#include "computer_probe.h"
#include "console_messages.h"
#include "service_state.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

constexpr size_t kComputersPerWorker = 4;
constexpr wchar_t kCreateFailed[] = L"Error creating thread";

// Owned, and freed, by the thread it is handed to.
struct WorkerContext {
  std::shared_ptr<ConsoleState> state;
  std::vector<std::wstring> computers;
};

struct WaiterContext {
  std::shared_ptr<ConsoleState> state;
  std::vector<std::wstring> computers;
};

void ScanComputer(ConsoleState& state, const std::wstring& computer, MessageSink& messages) {
  ServiceState code = QueryServiceState(computer, messages);
  state.reports.Push(ServiceAnswered{computer, code});
  if (code == ServiceState::NotReachable) return;

  // The progress lines go out under the probe lock, so that they count up in
  // the order the probes end.
  CriticalSectionLock hold(state.probeLock);
  if (std::optional<ProbeResult> probed = ProbeComputer(state, computer, messages))
    state.reports.Push(ComputerProbed{computer, std::move(*probed)});
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
    for (const std::wstring& computer : worker->computers) {
      if (state.stop) break;
      if (!computer.empty()) ScanComputer(state, computer, messages);
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
  const std::vector<std::wstring>& computers = waiter.computers;
  size_t count = std::max<size_t>(1, (computers.size() + kComputersPerWorker - 1) / kComputersPerWorker);
  std::vector<unique_handle> workers;
  for (size_t index = 0; index < count; ++index) {
    auto worker = std::make_unique<WorkerContext>();
    worker->state = waiter.state;
    size_t first = std::min(computers.size(), index * kComputersPerWorker);
    size_t end = std::min(computers.size(), first + kComputersPerWorker);
    worker->computers.assign(computers.begin() + first, computers.begin() + end);
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
    waiter->state->reports.Push(ScanFinished{});
  } catch (...) {
    // Out of memory: workers not yet waited for are closed with the vector,
    // and the scan's last word is lost.
  }
  return 0;
}

}  // namespace

unique_handle StartScanThreads(const std::shared_ptr<ConsoleState>& state, std::vector<std::wstring> computers,
                               HWND owner) {
  auto waiter = std::make_unique<WaiterContext>();
  waiter->state = state;
  waiter->computers = std::move(computers);
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
