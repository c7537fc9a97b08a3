#include "monitor_events.h"

#include "event_ids.h"
#include "platform.h"
#include "product.h"

namespace lullan::profmon {

namespace {
void Report(DWORD eventId, WORD stringCount, LPCWSTR* strings) {
  EventLog& eventLog = *platform().eventLog;
  unique_event_source source(eventLog.RegisterSource(nullptr, kEventSource));
  if (!source) return;
  eventLog.Report(source.get(), EventTypeFor(eventId), 0, eventId, nullptr, stringCount, 0, strings, nullptr);
}
}  // namespace

void ReportMonitorEvent(DWORD eventId) { Report(eventId, 0, nullptr); }

void ReportMonitorEvent(DWORD eventId, const std::wstring& text) {
  LPCWSTR strings[] = {text.c_str()};
  Report(eventId, 1, strings);
}

}  // namespace lullan::profmon
