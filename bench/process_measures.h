// What the benchmarks measure of a process, in ways that also work under
// Wine, whose process counters report 0 and whose GetProcessTimes answers
// every process with the caller's own times.
#pragma once

#include <windows.h>

namespace lullan::bench {

// Open handles of this process: the system's count, or, where that is 0, the
// handle values the system can tell the flags of.
DWORD CountOpenHandles();

// Committed private memory of `process` (PROCESS_QUERY_INFORMATION |
// PROCESS_VM_READ), summed region by region.
SIZE_T PrivateBytes(HANDLE process);

// The processor time (user and kernel) of the threads that `processId` has
// now, in milliseconds.
double ProcessorMs(DWORD processId);

}  // namespace lullan::bench
