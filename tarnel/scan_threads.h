// The scan threads: one worker per four listed computers, which asks each of
// its computers' service manager for the main service and probes the
// registry of those where it answered, and one waiter, which starts the
// workers, collects them and tells the dialog that the scan is over.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "console_state.h"
#include "handles.h"

namespace lullan::tarnel {

// Starts the scan of `computers`, the names of the rows in row order. The
// waiter creates the workers (so that the user-interface thread does not
// wait for hundreds of thread creations) and keeps them: worker i takes rows
// 4i to 4i+3, whose names it is handed before it runs, so a sort during the
// scan neither skips a computer nor visits one twice. There is always one
// worker, even for no rows. A worker that cannot be created is reported
// ("Error creating thread") and its rows are not examined.
//
// Returns the waiter's handle, which is signalled when the scan has ended.
// When the waiter cannot be created, that is reported in a box owned by
// `owner`, nothing is scanned, the scan ends at once and the handle is empty.
unique_handle StartScanThreads(const std::shared_ptr<ConsoleState>& state, std::vector<std::wstring> computers,
                               HWND owner);

}  // namespace lullan::tarnel
