// Who may run setup, and whose account may run the configuration monitor:
// administrators of the domain, as its domain controller knows them, or of
// this machine when the controller does not know the account.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::setup {

class CSetupApp;

// Asks for any domain controller of this machine's primary domain and keeps
// its name in the application; true when one was found. A failure is
// reported (owned by `owner`) and the name found before, if any, stays.
bool FindDomainController(CSetupApp& app, HWND owner);

// True when `user` counts as an administrator: by the domain controller's
// account database (looked up again on every call), or, when it does not know
// the account, by membership of this process's token in "Administrators".
bool IsUserAdmin(CSetupApp& app, HWND owner, const std::wstring& user);

// True when the group of that name (looked up on this machine) is among the
// groups of this process's access token.
bool IsTokenInGroup(const wchar_t* group);

}  // namespace lullan::setup
