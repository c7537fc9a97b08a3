// The product files in the installation directory: the one shell copy that
// puts them there, and their removal.
#pragma once

#include <windows.h>

namespace lullan::setup {

class CSetupApp;

// Copies the rows of the file table from the start directory into the
// installation directory in one shell operation, so that the shell shows its
// own progress, asks before replacing and reports its own errors. Rows for a
// profile server are left out of a workstation installation, rows that are
// only copied when missing are left out when present, and files that do not
// stand in the start directory at all are left out (psapi.dll and pdh.dll
// belong to Windows and are not shipped; one missing source would fail the
// whole copy). Every file copied then gets the installation folder's list
// (install_folder_security.h), and so does the folder when the copy made it.
// The shell's result: 0 when everything was copied and secured (what could
// not be secured is reported here).
int CopyProductFiles(CSetupApp& app, HWND owner);

// Deletes the rows of the file table (the profile server's rows only where
// the console was installed at start-up) and "lullan.log", and marks the
// installation directory for deletion at the next restart, when it will be
// empty. A running setup.exe cannot delete itself: it is marked for deletion
// at the next restart as well. A file still in use (a program that is still
// ending) is waited for, five seconds at most for all of them; one in use
// after that goes at the next restart too. A file that is not there is not an
// error.
void DeleteProductFiles(CSetupApp& app, HWND owner);

// Deletes the "*.tmp" files of the installation directory.
void DeleteTempFiles(const CSetupApp& app);

}  // namespace lullan::setup
