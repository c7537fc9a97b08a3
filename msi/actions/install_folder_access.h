// Who may do what in the installation folder, as the package leaves it. The
// idle-logoff service runs from the folder as LocalSystem and the
// configuration monitor under a domain administrator's account, so the
// folder keeps nothing its parent hands down: a protected list of
//
//   LocalSystem (SY)                  full control
//   BUILTIN\Administrators (BA)       full control
//   BUILTIN\Users (BU)                read and execute
//   NT AUTHORITY\Authenticated Users  read and execute
//
// each inherited by the files and folders in it, Administrators the owner.
// setup.exe gives the folder the same list when it installs; the two are
// one definition once both live in the same tree.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::msi {

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

// "O:BAD:PAI(A;OICI;0x1f01ff;;;SY)...": the folder's own list.
std::wstring InstallFolderSddl();
// The same entries as a file in the folder holds them: inherited (ID).
std::wstring InstalledFileSddl();

// Gives `path` the list `sddl` and its owner; ERROR_SUCCESS or the failing
// call's code.
DWORD ApplyFileSecurity(const std::wstring& path, const std::wstring& sddl);

// Gives every file directly in `folder` the inherited list: Windows hands it
// down by itself when a file is made, Wine does not. ERROR_SUCCESS, or the
// first failure's code with `failed` naming the file.
DWORD SecureFolderFiles(const std::wstring& folder, std::wstring* failed);

}  // namespace lullan::msi
