#include "monitor_log.h"

#include <cwchar>

#include "error_text.h"
#include "monitor_state.h"
#include "platform.h"
#include "product.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {

// Lines held before the first open; far more than a first cycle writes, and
// a bound in case the file never opens.
constexpr size_t kMaxHeldLines = 512;

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.size() >= start.size() && ::_wcsnicmp(text.data(), start.data(), start.size()) == 0;
}

bool IsNamed(std::wstring_view text, std::wstring_view name) {
  return text.size() == name.size() && StartsWith(text, name);
}

// The share of a UNC path ("pipe" in "\\server\pipe\name"), or empty.
std::wstring_view ShareOf(std::wstring_view path) {
  if (!StartsWith(path, L"\\\\")) return {};
  size_t serverEnd = path.find(L'\\', 2);
  if (serverEnd == std::wstring_view::npos) return {};
  size_t shareEnd = path.find(L'\\', serverEnd + 1);
  return path.substr(serverEnd + 1, shareEnd == std::wstring_view::npos ? shareEnd : shareEnd - serverEnd - 1);
}

std::wstring ErrorReason(DWORD error) {
  return FormatText(L"%s (error %lu)", SystemErrorText(error).c_str(), static_cast<unsigned long>(error));
}

// Opens `path` for writing and empties it, or says why not. The service runs
// as LocalSystem: a pipe's server must not be able to act as it, so the open
// grants identification only; and nothing but a plain file on disk with no
// other name is written (emptying a hard link would empty the file it links).
std::wstring OpenLogFile(const std::wstring& path, unique_file* file) {
  if (IsDevicePath(path)) return L"a device, not a folder";
  unique_file opened(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                   nullptr));
  if (!opened) return ErrorReason(::GetLastError());
  if (::GetFileType(opened.get()) != FILE_TYPE_DISK) return L"not a file on disk";
  BY_HANDLE_FILE_INFORMATION information;
  if (!::GetFileInformationByHandle(opened.get(), &information)) return ErrorReason(::GetLastError());
  if (information.nNumberOfLinks > 1) return L"the file has other links";
  // Checked first, emptied now: the file is the log's own.
  if (!::SetEndOfFile(opened.get())) return ErrorReason(::GetLastError());
  *file = std::move(opened);
  return {};
}

}  // namespace

bool IsDevicePath(std::wstring_view path) {
  std::wstring backslashed(path);
  for (wchar_t& c : backslashed) {
    if (c == L'/') c = L'\\';
  }
  if (StartsWith(backslashed, L"\\\\.\\") || StartsWith(backslashed, L"\\\\?\\") || StartsWith(backslashed, L"\\??\\"))
    return true;
  std::wstring_view share = ShareOf(backslashed);
  return IsNamed(share, L"pipe") || IsNamed(share, L"mailslot");
}

std::wstring MonitorLog::FileName(const wchar_t* directory) {
  return FormatText(L"%s\\%s.log", directory, kMonitorServiceName);
}

std::string MonitorLog::FormatLine(const SYSTEMTIME& time, const std::wstring& text) {
  std::wstring line =
      FormatText(L"%d/%d/%d %d:%02d %s", time.wMonth, time.wDay, time.wYear, time.wHour, time.wMinute, text.c_str());
  if (line.empty() || line.back() != L'\n') line += L'\n';
  return Narrow(line);
}

MonitorLog::OpenResult MonitorLog::OpenLocked(const wchar_t* directory, std::wstring* whyNot) {
  if (closedForGood_) return OpenResult::kClosedForGood;
  if (file_) return OpenResult::kAlreadyOpen;
  std::wstring refused = OpenLogFile(FileName(directory), &file_);
  if (!refused.empty()) {
    if (whyNot) *whyNot = std::move(refused);
    return OpenResult::kFailed;
  }
  for (const std::string& line : held_) WriteLocked(line);
  held_.clear();
  holding_ = false;
  return OpenResult::kOpened;
}

// A text file with CR LF line ends; each line reaches the file at once.
void MonitorLog::WriteLocked(const std::string& line) {
  std::string text;
  for (char c : line) {
    if (c == '\n') text += '\r';
    text += c;
  }
  DWORD written = 0;
  ::WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

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
