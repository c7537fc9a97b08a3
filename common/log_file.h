// The services' plain-text logs (the configuration monitor's LConfigMon.log
// and the idle-logoff service's lullan.log): where one may be written, how it
// is opened, and how a line looks.
//
// Both services run as LocalSystem and take the log's folder from the
// registry, where an administrator (or a shared profile) puts it. So the log
// goes only into a plain file on disk that has no other name: never a device
// ("\\.\..."), never a pipe or mailslot whose server could act as LocalSystem,
// never a hard link to some other file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "handles.h"

namespace lullan {

// True for a path in the device namespace ("\\.\", "\\?\", "\\?\UNC\", "\??\",
// slashes or backslashes) or in a server's named-pipe or mailslot namespace
// ("\\server\pipe\..."): no place for a file written by LocalSystem. An
// ordinary share ("\\server\share\...") is a place like any other.
bool IsDevicePath(std::wstring_view path);

enum class LogOpening {
  kEmpty,   // a new log each time the file is opened
  kAppend,  // lines go after what the file holds
};

// Opens `path` for writing under the rules above; an empty result means
// `file` holds it, otherwise the result says why not ("a device, not a
// folder", "the file has other links", the system's text for an error).
std::wstring OpenLogFile(const std::wstring& path, LogOpening opening, unique_file* file);

// "12/7/2026 9:05 text": month, day and hour without zeros, two-digit
// minutes, then the text and a line end ("\n", unless the text has one), in
// the system's 8-bit code page.
std::string FormatLogLine(const SYSTEMTIME& time, std::wstring_view text);

// Writes `line` with CR LF line ends; it reaches the file at once.
bool WriteLogLine(HANDLE file, std::string_view line);

}  // namespace lullan
