// The scan threads: one worker per four listed computers, which asks each of
// its computers' service manager for the main service and probes the
// registry of those where it answered, and one waiter, which collects the
// workers and tells the dialog that the scan is over.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "console_state.h"
#include "handles.h"

namespace lullan::tarnel {

// Starts the threads for `computers`, the names of the rows in row order:
// worker i takes rows 4i to 4i+3, whose names it is handed before it runs
// (so a sort during the scan neither skips a computer nor visits one twice).
// There is always one worker, even for no rows. A thread that cannot be
// created is reported ("Error creating thread") in a box owned by `owner`;
// its rows are not examined.
//
// Returns the waiter's handle, which is signalled when the scan has ended.
// When the waiter cannot be created, its work is done here, before the
// function returns, and the handle is empty.
unique_handle StartScanThreads(const std::shared_ptr<ConsoleState>& state, const std::vector<std::wstring>& computers,
                               HWND owner);

}  // namespace lullan::tarnel
