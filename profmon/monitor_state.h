// What the configuration monitor knows for the life of its process. Nothing
// of it is saved; a new start of the service begins again from these values.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::profmon {

struct MonitorState {
  std::wstring configKeyPath;         // the version key, set before the first cycle
  bool debug = true;                  // "Debug"; on until the configuration says otherwise
  bool logging = true;                // forced on by debug, else "UseLogFile"
  wchar_t logDirectory[260] = L".";   // "LogDir", else "InstallDir", else "."
  wchar_t profileServer[16] = L"";    // "PLS": the profile server's computer name
  wchar_t profileName[64] = L"";      // "Profile": the assigned shared profile
  bool bRefreshRemoteConfig = false;  // the profile must be copied; once set, stays set
  int stampCheckCounter = 0;          // the stamps are compared when it holds 3
};

// The one instance of the process.
MonitorState& Monitor();

}  // namespace lullan::profmon
