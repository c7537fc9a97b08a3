#include "scan_reports.h"

#include <utility>

#include "unique_any.h"

namespace lullan::tarnel {

namespace {

// However a delivery ends, its budget spent or a report that could not be
// shown, the dialog is called back while reports wait.
struct Rewake {
  using type = ScanReports*;
  static type invalid() noexcept { return nullptr; }
  static void close(type reports) noexcept { reports->Wake(); }
};

}  // namespace

void ScanReports::Open(HWND window, UINT message) {
  CriticalSectionLock hold(lock_);
  window_ = window;
  message_ = message;
  posted_ = false;
  finished_ = false;
}

void ScanReports::Close() {
  std::deque<ScanReport> dropped;
  {
    CriticalSectionLock hold(lock_);
    window_ = nullptr;
    dropped.swap(waiting_);
  }
}

void ScanReports::Push(ScanReport report) {
  CriticalSectionLock hold(lock_);
  if (!window_) return;
  waiting_.push_back(std::move(report));
  if (!posted_) PostLocked();
}

void ScanReports::Finish() noexcept {
  CriticalSectionLock hold(lock_);
  if (!window_) return;
  finished_ = true;
  if (!posted_) PostLocked();
}

std::optional<ScanReport> ScanReports::Take() {
  CriticalSectionLock hold(lock_);
  if (waiting_.empty()) {
    if (std::exchange(finished_, false)) return ScanFinished{};
    posted_ = false;
    return std::nullopt;
  }
  ScanReport oldest = std::move(waiting_.front());
  waiting_.pop_front();
  return oldest;
}

void ScanReports::Deliver(DWORD budgetMs, const std::function<void(const ScanReport&)>& apply) {
  unique_any<Rewake> rewake(this);
  const DWORD start = ::GetTickCount();
  while (std::optional<ScanReport> report = Take()) {
    apply(*report);
    if (::GetTickCount() - start >= budgetMs) return;
  }
}

void ScanReports::Wake() noexcept {
  CriticalSectionLock hold(lock_);
  if (waiting_.empty() && !finished_) {
    posted_ = false;  // the next report posts again
  } else {
    PostLocked();
  }
}

void ScanReports::PostLocked() noexcept {
  // A full message queue refuses the post; the next report tries again.
  posted_ = window_ && ::PostMessageW(window_, message_, 0, 0) != FALSE;
}

}  // namespace lullan::tarnel
