// Who may do what in the installation folder, written down once for every
// installer of the product (setup.exe and the Windows Installer package's
// custom actions).
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
#pragma once

#include <windows.h>

#include <string>

namespace lullan {

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

// Gives `path` the list `sddl` and its owner; ERROR_SUCCESS or the failing
// call's code. SetFileSecurityW rather than SetNamedSecurityInfoW: the list is
// complete as it stands, and it is the call Wine applies.
DWORD ApplyFileSecurity(const std::wstring& path, const std::wstring& sddl);

// Creates the folder (one level) with its list from the start, so that
// nothing can be put into it before it is secured. As CreateDirectoryW.
bool CreateInstallFolder(const std::wstring& folder);

}  // namespace lullan
