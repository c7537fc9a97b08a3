// The console's own settings, values under the console key that an
// administrator sets by hand; read once at start-up.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::tarnel {

// The most registry probes at once that "ProbeThreads" can ask for.
inline constexpr DWORD kMostProbeThreads = 256;

struct ConsoleSettings {
  bool debug = false;        // "Debug": read with the others; nothing depends on it
  bool enableWin9x = false;  // "EnableWin9x": keep Windows 9x computers that carry quitcom
  bool purge = false;        // "Purge": drop computers without the service after each scan
  // "ProbeThreads": 0, one registry probe at a time in the whole console;
  // 1 to 256, at most that many at once (a larger value counts as 256).
  DWORD probeThreads = 0;
};

// Reads the settings from HKEY_LOCAL_MACHINE\<consoleKeyPath>, creating the
// key when it is missing. Only an existing key is read: there, "Purge" is on
// unless a value says otherwise; a new key leaves every setting off. A value
// counts only as a REG_DWORD. A key that cannot be created or opened is
// reported ("opening registry key %s") in a box owned by `owner`, and every
// setting stays off.
ConsoleSettings ReadConsoleSettings(HWND owner, const std::wstring& consoleKeyPath);

}  // namespace lullan::tarnel
