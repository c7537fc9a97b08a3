// What the main dialog shares with its scan threads. The threads hold it
// with the dialog, so it lives until the last of them has ended, even when
// the program is closed in the middle of a scan.
#pragma once

#include <atomic>

#include "computer_info.h"
#include "probe_gate.h"
#include "scan_reports.h"

namespace lullan::tarnel {

struct ConsoleState {
  // `probesAtOnce`: the console setting ProbeThreads.
  explicit ConsoleState(DWORD probesAtOnce = 0) : probes(probesAtOnce) {}

  CComputerList records;
  // Held for one whole registry probe.
  ProbeGate probes;
  ScanReports reports;
  // Set by Exit (and when the dialog goes); workers test it before each computer.
  std::atomic<bool> stop{false};
  // Computers on which the main service answered in this scan.
  std::atomic<int> found{0};
  // The rows when the workers started.
  std::atomic<int> total{0};
};

}  // namespace lullan::tarnel
