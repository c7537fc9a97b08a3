// The services an installation creates and a removal deletes, through this
// machine's service control manager: "Lullan", the idle-logoff service, and
// on a workstation with a service account "lConfigMon", the configuration
// monitor that runs profmon.exe under that account.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::setup {

class CSetupApp;

// The message for a failed creation of the main service.
std::wstring CreateServiceErrorText(DWORD error, const std::wstring& account);

// Creates the services and writes the main service's description. False
// when the installation must end (the manager could not be opened or the
// main service not created; reported).
bool CreateServices(const CSetupApp& app, HWND owner);

// "SYSTEM\CurrentControlSet\Services\<name>".
std::wstring ServiceKeyPath(const std::wstring& serviceName);

// Deletes both services from the open manager `manager`, reporting each
// failure in its own words.
void DeleteServices(const CSetupApp& app, SC_HANDLE manager, HWND owner);

}  // namespace lullan::setup
