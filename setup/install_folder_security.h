// Who may do what in the installation folder, written down once, and how
// setup gives it to the folder and to the files it copies in.
//
// The idle-logoff service runs from the folder as LocalSystem, and the
// configuration monitor under a domain administrator's account: whoever could
// replace one of the programs or plant a library beside them would run code
// with those rights. So the folder does not keep what its parent hands down
// (made in a drive's root it would inherit "Authenticated Users: Modify"):
// its list is protected and holds only
//
//   LocalSystem (SY)                  full control
//   BUILTIN\Administrators (BA)       full control
//   BUILTIN\Users (BU)                read and execute
//   NT AUTHORITY\Authenticated Users  read and execute
//
// each inherited by the files and folders in it. Administrators own the
// folder and its files, so that whoever made an existing folder (or planted
// a file in it) cannot change the list again.
//
// InstallFolderSddl() is the list as an SDDL text, for anything else that
// installs the product and must secure the folder the same way (a Windows
// Installer package's MsiLockPermissionsEx table takes it as it stands).
#pragma once

#include <windows.h>

#include <string>

namespace lullan::setup {

struct FolderAccess {
  const wchar_t* account;  // the account's SDDL abbreviation
  ACCESS_MASK rights;
};

inline constexpr FolderAccess kInstallFolderAccess[] = {
    {L"SY", FILE_ALL_ACCESS},
    {L"BA", FILE_ALL_ACCESS},
    {L"BU", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
    {L"AU", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
};

// "O:BAD:PAI(A;OICI;0x1f01ff;;;SY)...": owner Administrators, the entries
// above inherited by files (OI) and folders (CI), the list protected (P) from
// what the parent hands down.
std::wstring InstallFolderSddl();
// The same entries as a file in the folder holds them: inherited (ID).
std::wstring InstalledFileSddl();

// Give the folder, or one file in it, its list and its owner; false when
// that failed, after saying so ("Can't secure directory %s", "Can't secure
// file %s", with the system's reason) in a box owned by `owner`.
bool SecureInstallFolder(HWND owner, const std::wstring& folder);
bool SecureInstalledFile(HWND owner, const std::wstring& file);

// Creates the folder (one level) with its list from the start, so that
// nothing can be put into it before it is secured. As CreateDirectoryW.
bool CreateInstallFolder(const std::wstring& folder);

}  // namespace lullan::setup
