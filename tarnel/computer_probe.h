// The registry probe of one computer: what the idle-logoff service and
// Winlogon have stored there, read through the remote registry seam under
// the probe lock, so that one computer's registry is read at a time in the
// whole process. Also FindVersionKey, which every operation that opens a
// computer's version key uses.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "console_messages.h"
#include "packed_time.h"

namespace lullan::tarnel {

class ConsoleState;
class CComputerInfo;

// What one probe read. Each value is there only when its read succeeded; a
// record keeps what it had for the others.
struct ProbeResult {
  std::optional<DWORD> idleTime;             // "sims$"
  std::optional<TimeOfDay> dailyLogoffTime;  // "DailyLogoffTime", read when "EnableDailyLogoff" is on
  std::optional<std::wstring> previousUser;  // "PrevUser"
  std::optional<std::wstring> profile;       // "Profile"
  std::optional<std::wstring> currentUser;   // Winlogon's "DefaultUserName"
  std::optional<std::wstring> osText;        // the Windows version's label, when asked for
  // The probe got as far as the version key: the row's cells are shown anew.
  bool versionKeyOpened = false;
};

// Probes `computer`, or answers nullopt at once when the list holds no record
// of that name. A registry that cannot be reached is told to `messages`; a
// missing product key, version key, Winlogon key or value is not. With
// `readOsText` (a computer listed without its operating system) the label of
// the Windows version its registry names is read as well ("Win2000",
// "NT 10.0"). Waits for a place at the probe gate first.
std::optional<ProbeResult> ProbeComputer(ConsoleState& state, const std::wstring& computer, MessageSink& messages,
                                         bool readOsText = false);

// Stores what a probe read in the record (user-interface thread).
void StoreProbe(CComputerInfo& record, const ProbeResult& result);

// The version key below an open product key: `path` becomes the product key
// path, joined with the last subkey's name when that name begins with a
// digit (true); otherwise it stays the product key path (false).
bool FindVersionKey(HKEY productKey, std::wstring& path, MessageSink& messages);

}  // namespace lullan::tarnel
