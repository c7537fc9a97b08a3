// The idle-logoff configuration as the engine uses it: every value of the
// version key and its Groups subkey, read under the same rules as the
// configuration pages (config/schema.h), plus "DryRun". The engine never
// writes any of them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "action.h"
#include "group_values.h"

namespace lullan::engine {

// One monitored domain group: its minutes, or its clock time (packed).
struct GroupLimit {
  std::wstring group;
  config::GroupKind kind;
  DWORD value;

  bool operator==(const GroupLimit&) const = default;
};

struct EngineConfig {
  config::Action action = config::Action::Logoff;
  DWORD idleMinutes = 30;
  bool forceExit = true;
  bool runScript = false;
  std::wstring logoffScript = L"C:\\autologoff.bat";
  bool useLogFile = false;
  std::wstring logDir;    // empty: the installation directory
  bool useMutex = false;  // kept for older engines' configurations; no effect
  bool ignoreNet = false;
  bool enableDailyLogoff = false;
  DWORD dailyLogoffTime = 0;  // packed
  bool onlyIfLocked = false;
  bool onlyIfScreenSaver = false;
  DWORD multiGroupMaxPol = 1;  // 0 biggest, 1 smallest idle minutes
  DWORD multiGroupDltPol = 0;  // 0 earliest, 1 latest clock time
  DWORD multiGroupValPol = 0;  // 0 minutes, 1 clock time wins
  DWORD explorerSensitivity = 2;
  std::vector<std::wstring> excludeFiles;  // .EXE file names, as listed
  DWORD netBytesSec = 100;
  bool ignoreKernel = false;
  bool monitorMouse = false;
  // The user's side: the tray icon, the countdown, the sound.
  bool useTray = true;
  bool useCancelDlg = false;
  DWORD countdownSeconds = 10;
  std::wstring customMessage;
  bool enableUserCancel = false;
  std::wstring wavFile;
  bool playSound = false;
  // Not part of the pages. The machine is shut down after this many minutes
  // with nobody logged on (0: never).
  DWORD logonScreenShutdownMinutes = 0;
  // Set by hand to try a configuration.
  bool dryRun = false;
  std::wstring installDir;
  std::vector<GroupLimit> groups;

  bool operator==(const EngineConfig&) const = default;
};

}  // namespace lullan::engine
