// The scan threads: workers, one per four listed computers up to 256 of
// them, which ask each computer's service manager for the main service and
// probe the registry of those where it answered, and one waiter, which
// starts the workers, collects them and tells the dialog that the scan is
// over.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "console_settings.h"
#include "console_state.h"
#include "handles.h"

namespace lullan::tarnel {

// One computer of a scan, as the scan threads know it.
struct ScannedComputer {
  std::wstring name;
  std::wstring osText;
  // Listed from the domain's computer accounts: a Windows NT computer, whose
  // probe reads its operating system's label.
  bool fromAccounts = false;
  // Set by the computer's worker when no main service answered there; read
  // by the waiter once every worker has ended.
  bool noService = false;
};

// Starts the scan of `computers`, the rows in row order. The waiter creates
// the workers (so that the user-interface thread does not wait for hundreds
// of thread creations) and keeps them. Worker i takes rows 4i to 4i+3, whose
// names it is handed before it runs, so a sort during the scan neither skips
// a computer nor visits one twice; at most 256 workers run, each on a small
// stack, and in a domain of more than 1,024 computers each takes the next
// four rows nobody has taken when it is done with its own. There is always
// one worker, even for no rows. A worker that cannot be created is reported
// ("Error creating thread") and its first rows are not examined. Once the
// workers have ended, the waiter purges the computers without the service
// when `settings` say so, and tells the dialog that the scan is over,
// whatever failed on the way.
//
// Returns the waiter's handle, which is signalled when the scan has ended.
// When the waiter cannot be created, that is reported in a box owned by
// `owner`, nothing is scanned, the scan ends at once and the handle is empty.
unique_handle StartScanThreads(const std::shared_ptr<ConsoleState>& state, std::vector<ScannedComputer> computers,
                               const ConsoleSettings& settings, HWND owner);

}  // namespace lullan::tarnel
