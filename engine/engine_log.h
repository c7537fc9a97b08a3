// What the idle-logoff service records: its log, lullan.log, while
// UseLogFile is on, and event-log records under the "Lullan" source.
//
// The log lies in LogDir, else in the installation directory, and is opened
// with the monitor's refusals (common/log_file.h). A LogDir that cannot take
// it sends it to the installation directory, with a line and a warning
// record saying why. Lines are added to what the file holds; a file grown
// beyond kLargestLog is emptied first, with a line saying so.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "engine_config.h"
#include "handles.h"

namespace lullan::engine {

inline constexpr wchar_t kLogFileName[] = L"lullan.log";

class EngineLog {
 public:
  static constexpr unsigned long long kLargestLog = 4 << 20;  // bytes

  // Follows the configuration: opens, moves or closes the log.
  void Configure(const EngineConfig& config);
  bool IsOpen() const { return static_cast<bool>(file_); }
  // Where the log is now ("<folder>\lullan.log"), or empty.
  const std::wstring& path() const { return path_; }

  // A line in the log, when it is open.
  void Line(const std::wstring& text);
  // An event record (its type from its identifier), and its text as a line.
  void Record(DWORD eventId, std::initializer_list<std::wstring> strings, const std::wstring& line);
  // The record alone.
  static void Event(DWORD eventId, std::initializer_list<std::wstring> strings);

  void Close() { file_.reset(); }

 private:
  bool OpenIn(const std::wstring& folder, std::wstring* whyNot);

  unique_file file_;
  std::wstring path_;
  unsigned long long size_ = 0;
};

}  // namespace lullan::engine
