#include "profile_sync.h"

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

  monitor.logDirectory[0] = L'\0';
  ReadStringValue(key, L"LogDir", monitor.logDirectory);
  if (monitor.logDirectory[0] == L'\0') ReadStringValue(key, L"InstallDir", monitor.logDirectory);
  // Neither set: the service's current directory, as before the first reading.
  if (monitor.logDirectory[0] == L'\0') CopyText(monitor.logDirectory, ARRAYSIZE(monitor.logDirectory), L".");

  if (monitor.logging) {
    MonitorLog::OpenResult opened = Log().OpenIfClosed(monitor.logDirectory);
    if (opened == MonitorLog::OpenResult::kFailed) AbortService(1, L"Can't open log file");
    if (opened == MonitorLog::OpenResult::kOpened) LogLine(L"GetRegParams: opened log file");
  }

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
