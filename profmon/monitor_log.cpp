#include "monitor_log.h"

#include "monitor_state.h"
#include "platform.h"
#include "product.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {

// Lines held before the first open; far more than a first cycle writes, and
// a bound in case the file never opens.
constexpr size_t kMaxHeldLines = 512;

}  // namespace

std::wstring MonitorLog::FileName(const wchar_t* directory) {
  return FormatText(L"%s\\%s.log", directory, kMonitorServiceName);
}

std::string MonitorLog::FormatLine(const SYSTEMTIME& time, const std::wstring& text) {
  return FormatLogLine(time, text);
}

MonitorLog::OpenResult MonitorLog::OpenLocked(const wchar_t* directory, std::wstring* whyNot) {
  if (closedForGood_) return OpenResult::kClosedForGood;
  if (file_) return OpenResult::kAlreadyOpen;
  std::wstring refused = OpenLogFile(FileName(directory), LogOpening::kEmpty, &file_);
  if (!refused.empty()) {
    if (whyNot) *whyNot = std::move(refused);
    return OpenResult::kFailed;
  }
  for (const std::string& line : held_) WriteLocked(line);
  held_.clear();
  holding_ = false;
  return OpenResult::kOpened;
}

void MonitorLog::WriteLocked(const std::string& line) { WriteLogLine(file_.get(), line); }

MonitorLog::OpenResult MonitorLog::OpenIfClosed(const wchar_t* directory, std::wstring* whyNot) {
  Locked locked(lock_);
  return OpenLocked(directory, whyNot);
}

void MonitorLog::Write(const SYSTEMTIME& time, const std::wstring& text, const wchar_t* directory) {
  std::string line = FormatLine(time, text);
  Locked locked(lock_);
  if (closedForGood_) return;
  if (!file_ && holding_) {
    if (held_.size() < kMaxHeldLines) held_.push_back(std::move(line));
    return;
  }
  OpenResult opened = OpenLocked(directory, nullptr);
  if (opened == OpenResult::kFailed) return;
  WriteLocked(line);
}

void MonitorLog::StopHolding(bool keep) {
  Locked locked(lock_);
  holding_ = false;
  if (!keep) held_.clear();
}

bool MonitorLog::IsOpen() {
  Locked locked(lock_);
  return static_cast<bool>(file_);
}

void MonitorLog::CloseForGood(const SYSTEMTIME& time, const std::wstring& lastText, bool writeLastLine) {
  std::string line = FormatLine(time, lastText);
  Locked locked(lock_);
  if (file_) {
    if (writeLastLine) WriteLocked(line);
    file_.reset();
  }
  closedForGood_ = true;
}

void MonitorLog::Reset() {
  Locked locked(lock_);
  file_.reset();
  held_.clear();
  holding_ = true;
  closedForGood_ = false;
}

MonitorLog& Log() {
  static MonitorLog log;
  return log;
}

void LogLine(const std::wstring& text) {
  MonitorState& monitor = Monitor();
  if (!monitor.logging) return;
  SYSTEMTIME now;
  platform().clock->GetLocalTime(&now);
  Log().Write(now, text, monitor.logDirectory);
}

void DebugLine(const std::wstring& text) {
  if (Monitor().debug) LogLine(text);
}

}  // namespace lullan::profmon
