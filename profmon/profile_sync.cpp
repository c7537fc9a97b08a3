#include "profile_sync.h"

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "event_ids.h"
#include "handles.h"
#include "monitor_events.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "registry_values.h"
#include "service_host.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {

// Opens the log in the configured folder. "LogDir" normally arrives with the
// shared profile, which is copied only from the fourth cycle, so a folder
// that cannot take the log must not end the monitor: the installation folder
// and then the current one take it instead, and the log says which folder
// was refused and why. Only when none can take it does the service end.
void OpenLogFile(const wchar_t* configured, const wchar_t* installDirectory) {
  std::vector<std::pair<std::wstring, std::wstring>> refused;  // folder, why
  auto tried = [&refused](const wchar_t* folder) {
    for (const auto& [before, why] : refused) {
      if (::_wcsicmp(before.c_str(), folder) == 0) return true;
    }
    return false;
  };
  for (const wchar_t* folder : {configured, installDirectory, L"."}) {
    if (folder[0] == L'\0' || tried(folder)) continue;
    std::wstring why;
    switch (Log().OpenIfClosed(folder, &why)) {
      case MonitorLog::OpenResult::kFailed:
        refused.emplace_back(folder, why);
        continue;
      case MonitorLog::OpenResult::kOpened:
        for (const auto& [before, reason] : refused) {
          LogLine(FormatText(L"Error: can't open log file in \"%s\": %s; logging to \"%s\" instead", before.c_str(),
                             reason.c_str(), folder));
        }
        LogLine(L"GetRegParams: opened log file");
        return;
      case MonitorLog::OpenResult::kAlreadyOpen:
      case MonitorLog::OpenResult::kClosedForGood:
        return;
    }
  }
  AbortService(1, L"Can't open log file");
}

// Reads the settings of an existing configuration key into the monitor state.
void ReadSettings(HKEY key) {
  MonitorState& monitor = Monitor();

  DWORD debug = 0;
  if (ReadDwordValue(key, L"Debug", &debug)) monitor.debug = debug != 0;
  if (monitor.debug) {
    monitor.logging = true;
  } else {
    DWORD useLogFile = 0;
    if (ReadDwordValue(key, L"UseLogFile", &useLogFile)) monitor.logging = useLogFile != 0;
  }

  wchar_t installDirectory[ARRAYSIZE(monitor.logDirectory)] = L"";
  ReadPathValue(key, L"InstallDir", installDirectory);
  monitor.logDirectory[0] = L'\0';
  ReadPathValue(key, L"LogDir", monitor.logDirectory);
  if (monitor.logDirectory[0] == L'\0')
    CopyText(monitor.logDirectory, ARRAYSIZE(monitor.logDirectory), installDirectory);
  // Neither set: the service's current directory, as before the first reading.
  if (monitor.logDirectory[0] == L'\0') CopyText(monitor.logDirectory, ARRAYSIZE(monitor.logDirectory), L".");

  if (monitor.logging) OpenLogFile(monitor.logDirectory, installDirectory);

  monitor.profileServer[0] = L'\0';
  ReadStringValue(key, L"PLS", monitor.profileServer);

  // A failed read keeps the name of the last successful one.
  if (ReadStringValue(key, L"Profile", monitor.profileName) && !monitor.bRefreshRemoteConfig &&
      monitor.profileName[0] != L'\0') {
    if (monitor.stampCheckCounter == 3) {
      monitor.bRefreshRemoteConfig = ProfileChanged();
      monitor.stampCheckCounter = 0;
    } else {
      ++monitor.stampCheckCounter;
    }
  }

  if (monitor.profileServer[0] == L'\0' && monitor.profileName[0] != L'\0') {
    ReportMonitorEvent(kEventProfileServerMissing);
    LogLine(L"Error: configuration missing remote server name!");
  }
}

}  // namespace

void GetRegParams() {
  MonitorState& monitor = Monitor();
  DebugLine(L"dbg> entered GetRegParams");

  unique_hkey key;
  DWORD disposition = 0;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, monitor.configKeyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE, nullptr, key.put(), &disposition) != ERROR_SUCCESS) {
    AbortService(1, FormatText(L"opening registry key %s", monitor.configKeyPath.c_str()));
    return;
  }
  // A key created just now holds nothing to read.
  if (disposition == REG_OPENED_EXISTING_KEY) ReadSettings(key.get());
  key.reset();

  // The configuration has been read (or there was none): lines held until now
  // go to the log file of the configured directory, if logging stayed on.
  Log().StopHolding(monitor.logging);

  DebugLine(FormatText(L"dbg> bRefreshRemoteConfig = %s", monitor.bRefreshRemoteConfig ? L"true" : L"false"));
  if (monitor.bRefreshRemoteConfig) {
    DebugLine(L"dbg> GetRegParams about to call GetRemoteConfig");
    if (!GetRemoteConfig()) {
      ReportMonitorEvent(kEventProfileCopyFailed);
      LogLine(L"Error reading config data from remote server");
    }
  }
  DebugLine(L"dbg> leaving GetRegParams");
}

}  // namespace lullan::profmon
