// The monitor's log file, "<log directory>\LConfigMon.log": one line per
// event, "month/day/year hour:minute text", flushed as it is written.
//
// The file is shared by the monitor thread and the stop sequence; opening,
// writing, closing and the open-or-not test all happen under one lock. Lines
// logged before the configuration has been read for the first time are held
// in memory and written when the file is first opened, so that the log of a
// normal run lies in the configured directory rather than in the service's
// current directory.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "critical_section.h"
#include "handles.h"
#include "log_file.h"

namespace lullan::profmon {

class MonitorLog {
 public:
  enum class OpenResult { kAlreadyOpen, kOpened, kFailed, kClosedForGood };

  MonitorLog() = default;
  MonitorLog(const MonitorLog&) = delete;
  MonitorLog& operator=(const MonitorLog&) = delete;

  // Opens "<directory>\LConfigMon.log" (emptying it) unless a file is open;
  // held lines are written first. What OpenLogFile (log_file.h) refuses is
  // refused; on kFailed `whyNot`, when given, says why.
  OpenResult OpenIfClosed(const wchar_t* directory, std::wstring* whyNot = nullptr);
  // Writes one line, opening the file in `directory` first if none is open;
  // held back instead while lines are being held. Nothing is written once the
  // file has been closed for good, or when it cannot be opened.
  void Write(const SYSTEMTIME& time, const std::wstring& text, const wchar_t* directory);
  // Ends holding: the held lines wait for the file when `keep`, else they go.
  void StopHolding(bool keep);
  bool IsOpen();
  // Closes the file, after writing `lastText` to it when `writeLastLine`; no
  // line is written after this.
  void CloseForGood(const SYSTEMTIME& time, const std::wstring& lastText, bool writeLastLine);
  // Back to the state at process start, closing any file. The service never
  // needs this; tests run several "processes" in one.
  void Reset();

  // The log's file name for a directory.
  static std::wstring FileName(const wchar_t* directory);
  // "12/7/2026 9:05 text" with its line end ("\n"; the file gets CR LF), in
  // the system's 8-bit code page.
  static std::string FormatLine(const SYSTEMTIME& time, const std::wstring& text);

 private:
  OpenResult OpenLocked(const wchar_t* directory, std::wstring* whyNot);
  void WriteLocked(const std::string& line);

  CriticalSection lock_;
  unique_file file_;
  std::vector<std::string> held_;
  bool holding_ = true;
  bool closedForGood_ = false;
};

MonitorLog& Log();

// Appends a line to the log while logging is on (the monitor's LogLine).
void LogLine(const std::wstring& text);
// The same for debug lines: written only while debug is on.
void DebugLine(const std::wstring& text);

}  // namespace lullan::profmon
