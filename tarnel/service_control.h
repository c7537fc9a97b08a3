// "Start/Stop": starts the main service "Lullan" on the selected workstation
// when the console last saw it not running, and stops it when it ran,
// through the workstation's service control manager (the remote service
// manager seam). Starting also starts the configuration monitor when the
// workstation follows a shared profile; stopping stops the monitor first.
// Only Windows NT and Windows 2000 workstations have service managers.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "console_messages.h"

namespace lullan::tarnel {

enum class ServiceRequest { Start, Stop };

struct ServiceControlResult {
  // "Lullan service" and how the request went, for a box (and, when it was
  // carried out, for the status bar); none when the operation ended before
  // the start or stop (the messages say why).
  std::optional<std::wstring> resultLine;
  // The service was started (and runs) or stopped: the record and the row follow.
  bool done = false;
};

// Whether a computer of that OS text has a service manager to ask.
bool RunsNt(const std::wstring& osText);

// Carries out `request` on `computer` (the name as listed): opens its
// service manager and the main service, checks the service's state, starts
// it (and then the monitor when `usesProfile`) or stops it (the monitor
// first). A start is waited for while the service reports progress: one that
// stays start pending is not taken as done. Any thread; what the
// administrator is to be told before the result line goes to `messages`.
ServiceControlResult ControlMainService(const std::wstring& computer, ServiceRequest request, bool usesProfile,
                                        MessageSink& messages);

}  // namespace lullan::tarnel
