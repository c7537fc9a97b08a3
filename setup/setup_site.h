// Where setup installs: the name of everything it creates on the machine
// outside the installation directory. A real installation uses the product's
// own names; the tests give each run names of its own, so that installing,
// starting and removing for real never meets another test's keys, services
// or shortcuts.
#pragma once

#include <string>

#include "product.h"

namespace lullan::setup {

inline constexpr wchar_t kProductName[] = L"Lullan";  // the word setup's messages fill in
inline constexpr wchar_t kApplicationName[] = L"LullanSetup";

struct SetupSite {
  std::wstring productKey = kProductKey;            // "SOFTWARE\Fennick\Lullan", under HKEY_LOCAL_MACHINE
  std::wstring versionName = kVersionName;          // "1.11"
  std::wstring serviceName = kIdleServiceName;      // "Lullan", also its display name
  std::wstring monitorServiceName = L"lConfigMon";  // the configuration monitor, as setup creates it
  std::wstring monitorDisplayName = kMonitorDisplayName;
  std::wstring eventSource = kEventSource;     // under the Application log
  std::wstring uninstallEntry = L"FenLullan";  // below ...\CurrentVersion\Uninstall
  std::wstring menuFolder = L"Lullan";         // the Start-menu folder of the shortcuts
  std::wstring programsFolder;                 // empty: the common Programs folder (CSIDL_COMMON_PROGRAMS)
  std::wstring programPath;                    // empty: this program's own file (GetModuleFileNameW)

  // "%s\%s" of the product key and the version.
  std::wstring VersionKey() const { return productKey + L"\\" + versionName; }
};

}  // namespace lullan::setup
