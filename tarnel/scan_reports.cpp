#include "scan_reports.h"

namespace lullan::tarnel {

void ScanReports::Open(HWND window, UINT message) {
  CriticalSectionLock hold(lock_);
  window_ = window;
  message_ = message;
  posted_ = false;
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

std::optional<ScanReport> ScanReports::Take() {
  CriticalSectionLock hold(lock_);
  if (waiting_.empty()) {
    posted_ = false;
    return std::nullopt;
  }
  ScanReport oldest = std::move(waiting_.front());
  waiting_.pop_front();
  return oldest;
}

void ScanReports::Wake() {
  CriticalSectionLock hold(lock_);
  if (waiting_.empty()) {
    posted_ = false;  // the next report posts again
  } else {
    PostLocked();
  }
}

void ScanReports::PostLocked() {
  // A full message queue refuses the post; the next report tries again.
  posted_ = window_ && ::PostMessageW(window_, message_, 0, 0) != FALSE;
}

}  // namespace lullan::tarnel
