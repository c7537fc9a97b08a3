#include "monitor_events.h"

#include "event_ids.h"
#include "platform.h"
#include "product.h"

namespace lullan::profmon {

void ReportMonitorEvent(DWORD eventId) {
  EventLog& eventLog = *platform().eventLog;
  unique_event_source source(eventLog.RegisterSource(nullptr, kEventSource));
  if (!source) return;
  eventLog.Report(source.get(), EventTypeFor(eventId), 0, eventId, nullptr, 0, 0, nullptr, nullptr);
}

}  // namespace lullan::profmon
