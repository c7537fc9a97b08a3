// The Release notes button: readme.txt in Notepad, from the installation
// directory once this dialog installed the product, from the directory
// setup was started in before that.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::setup {

class CSetupApp;

// The release notes setup opens.
std::wstring ReleaseNotesPath(const CSetupApp& app, bool installedInDialog);

// Starts Notepad on them without waiting; a failure goes to ReportError.
void ShowReleaseNotes(const CSetupApp& app, bool installedInDialog, HWND owner);

}  // namespace lullan::setup
