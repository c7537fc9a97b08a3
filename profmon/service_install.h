// Installing and removing LConfigMon by hand (profmon -install / -remove).
#pragma once

#include <string>

namespace lullan::profmon {

// Creates the service; with an empty account it runs as LocalSystem.
void InstallMonitorService(const std::wstring& account, const std::wstring& password);
// Stops the service if it runs, waiting while it stops, and deletes it.
void RemoveMonitorService();
// The system's text for the thread's last error as "text (0xcode)", or empty.
std::wstring LastErrorText();

}  // namespace lullan::profmon
