// What an installation registers with Windows besides its files and
// services: the event-log source of the idle-logoff service, the entry of
// Add/Remove Programs, and the two logoff components. Each step reports its
// own failures and the installation goes on.
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"

namespace lullan::setup {

class CSetupApp;

// "SYSTEM\CurrentControlSet\Services\EventLog\Application\<source>".
std::wstring EventSourceKeyPath(const CSetupApp& app);
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\FenLullan".
std::wstring UninstallKeyPath(const CSetupApp& app);
inline constexpr wchar_t kUninstallParentKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kInformationAddress[] = L"http://www.fennicksoftware.com/lullan/";

// The event-log source: its message file lullanMsg.dll in the installation
// directory, and the event types it reports.
void RegisterMessageFile(const CSetupApp& app, HWND owner);

// The Add/Remove Programs entry, whose uninstall command runs the installed
// setup.exe with "/u".
void RegisterUninstallInfo(const CSetupApp& app, HWND owner);

// quitcom.dll registers itself when loaded from the installation directory;
// quitsrv.exe is started with "-RegServer" and not waited for.
void RegisterComponents(const CSetupApp& app, HWND owner);
// The reverse: quitcom.dll and quitsrv.exe of the installation directory,
// quitsrv.exe with "-UnregServer", which is given ten seconds to end so that
// its file can be deleted after it.
void UnregisterComponents(const CSetupApp& app, HWND owner);

// Starts `commandLine` (its program quoted in it); the process, or none with
// the last error set when it could not be started.
unique_handle StartProgram(const wchar_t* program, std::wstring commandLine);
// The same, without keeping the process.
bool StartDetached(const wchar_t* program, std::wstring commandLine);

}  // namespace lullan::setup
