// The services the package does not leave to Windows Installer's tables:
// the configuration monitor "lConfigMon", made only when the administrator
// names its account (a table row cannot be left out by a property), and the
// image path of "Lullan", which must be quoted.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::msi {

struct MonitorService {
  std::wstring name;         // "lConfigMon"
  std::wstring displayName;  // "Lullan Configuration Monitor"
  std::wstring program;      // the full path of profmon.exe
  std::wstring dependency;   // "Lullan"
  std::wstring account;
  std::wstring password;
};

// Creates the service as setup.exe does (own process, on demand, errors
// ignored), or gives an existing one this program, account and password.
// Empty on success, else what failed, in setup's words.
std::wstring InstallMonitorService(const MonitorService& service);

// Stops and deletes the service; ERROR_SUCCESS also when there is none.
DWORD RemoveService(const std::wstring& name);

// Puts quotes around the image path of `name` when it holds a blank and has
// none: the system would otherwise try "C:\Program.exe" first. True when the
// path was changed.
bool QuoteImagePath(const std::wstring& name);

}  // namespace lullan::msi
