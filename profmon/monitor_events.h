// Event-log records of the monitor, under the idle-logoff service's source.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::profmon {

// One record with the identifier: source "Lullan" on this machine, category 0,
// no user, no strings, no data; error type only above 0xC0000000.
void ReportMonitorEvent(DWORD eventId);
// The same with one insertion string, the text the event's message shows.
void ReportMonitorEvent(DWORD eventId, const std::wstring& text);

}  // namespace lullan::profmon
