// What the scan threads tell the dialog, and the queue that carries it. A
// scan thread never sends a message to the dialog and never waits for the
// user-interface thread: it puts a report, which owns all its texts, into
// the queue and goes on. The queue posts one message to the dialog while
// reports wait, and the dialog takes them on its own thread.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "computer_info.h"
#include "computer_probe.h"
#include "critical_section.h"

namespace lullan::tarnel {

// The state of the main service on a computer (NotReachable: none answered).
struct ServiceAnswered {
  std::wstring computer;
  ServiceState code;
};
// What the registry probe of a computer read.
struct ComputerProbed {
  std::wstring computer;
  ProbeResult result;
};
// The main service answered on one more computer: `found` of `total` so far.
struct ScanProgress {
  int found;
  int total;
};
// A line for the status bar.
struct StatusText {
  std::wstring text;
};
// A message for the administrator, shown in a box.
struct ScanMessage {
  std::wstring text;
};
// Computers the purge takes out of the list.
struct ComputersPurged {
  std::vector<std::wstring> computers;
};
// The scan is over: handed out once every report before it has been taken.
struct ScanFinished {};

using ScanReport =
    std::variant<ServiceAnswered, ComputerProbed, ScanProgress, StatusText, ScanMessage, ComputersPurged, ScanFinished>;

class ScanReports {
 public:
  ScanReports() = default;
  ScanReports(const ScanReports&) = delete;
  ScanReports& operator=(const ScanReports&) = delete;

  // Reports from now on are kept, and `window` is told of them by `message`.
  void Open(HWND window, UINT message);
  // No report is kept any more (the dialog is going); those waiting are dropped.
  void Close();

  // Any thread. Dropped when the queue is closed.
  void Push(ScanReport report);
  // The waiter's last word, which cannot fail: once the reports before it
  // are taken, the dialog takes ScanFinished.
  void Finish() noexcept;
  // The user-interface thread, on the message: hands the waiting reports to
  // `apply`, oldest first, for up to `budgetMs`; then, while reports still
  // wait, posts the message again, so that the messages behind them get
  // through before the dialog comes back for the rest.
  void Deliver(DWORD budgetMs, const std::function<void(const ScanReport&)>& apply);
  // Posts the message again while reports wait: the dialog, having stopped
  // taking them for a while (a box of its own is up), comes back for the rest.
  void Wake() noexcept;

 private:
  // The oldest waiting report, or nullopt when none waits (the next Push
  // then posts the message again).
  std::optional<ScanReport> Take();
  void PostLocked() noexcept;

  CriticalSection lock_;
  std::deque<ScanReport> waiting_;
  HWND window_ = nullptr;
  UINT message_ = 0;
  bool posted_ = false;    // a message is on its way and the dialog will take until the queue is empty
  bool finished_ = false;  // ScanFinished comes after the waiting reports
};

// The messages of a scan thread: reports for the dialog to show.
class ScanMessageSink final : public MessageSink {
 public:
  explicit ScanMessageSink(ScanReports& reports) noexcept : reports_(reports) {}
  void Show(std::wstring text) override { reports_.Push(ScanMessage{std::move(text)}); }

 private:
  ScanReports& reports_;
};

}  // namespace lullan::tarnel
