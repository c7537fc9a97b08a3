// The product's Start-menu shortcuts: "LullanSetup.lnk" (setup and
// configuration) and, on a profile server, "Tarnel.lnk" (the server control
// panel), in a "Lullan" folder of the common Programs folder's
// "Administrative Tools" (or of the Programs folder itself where it has no
// such entry).
#pragma once

#include <windows.h>

#include <string>

namespace lullan::setup {

class CSetupApp;
class CProgressDlg;

struct ShortcutSpec {
  std::wstring targetDirectory;
  std::wstring targetFile;
  std::wstring shortcutFolder;
  std::wstring shortcutFile;
  std::wstring description;
};

// Creates one shell link, replacing a file of its name, and tells the shell
// that its folder changed. Needs COM on the calling thread.
void CreateShortcut(const ShortcutSpec& spec);

// The installation's shortcut to setup (a workstation installation asks
// first), announced in `progress`. False when the Programs folder's path
// could not be had (reported).
bool AddSetupShortcut(const CSetupApp& app, CProgressDlg& progress, HWND owner);

// The server installation's shortcut to the server control panel; reports
// when the Programs folder cannot be found.
void AddConsoleShortcut(const CSetupApp& app, HWND owner);

// Deletes both shortcuts and their folder, as long as the setup shortcut is
// there; otherwise nothing is touched.
void RemoveShortcuts(const CSetupApp& app, HWND owner);

}  // namespace lullan::setup
