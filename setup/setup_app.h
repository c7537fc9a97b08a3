// The setup program: its start-up checks, its command line, and the state
// that every command of the main dialog reads and writes (installation
// directory, installation type, service account, file table...).
//
//   CSetupApp app;                      // the product's own names
//   return app.Run(::GetCommandLineW());
//
// Run is the whole program: in uninstall mode ("/u" or "/r") it removes the
// product at once; with /quiet it installs or removes without any window
// (quiet_setup.h); otherwise it shows the background window (before the
// product is installed) and the main dialog until Exit.
#pragma once

#include <windows.h>

#include <string>

#include "file_table.h"
#include "setup_site.h"
#include "ui_handles.h"

namespace lullan::setup {

class CSetupApp {
 public:
  explicit CSetupApp(SetupSite site = {});
  ~CSetupApp();
  CSetupApp(const CSetupApp&) = delete;
  CSetupApp& operator=(const CSetupApp&) = delete;

  // Runs setup as `commandLine` (the whole command line, program path
  // included) asks; the process's exit code.
  int Run(const wchar_t* commandLine);

  // The start-up checks and the state they set up, up to the point where
  // Run chooses the mode; false when setup is to end at once (the user name
  // is unavailable or the user is no administrator, both reported).
  bool Start(const wchar_t* commandLine);

  const SetupSite& site() const noexcept { return site_; }

  // The state of the running setup. Commands read and write it directly, as
  // their descriptions say.
  std::wstring versionKey;         // "SOFTWARE\Fennick\Lullan\1.11", under HKEY_LOCAL_MACHINE
  std::wstring fallbackDirectory;  // used when none of the usual parents exists
  bool uninstallMode = false;
  bool quiet = false;             // no window at all: every message goes to the quiet output
  std::wstring domainController;  // as NetGetAnyDCName named it; empty until one was found
  std::wstring installDir;        // read from the configuration, or chosen when installing
  bool serverInstall = false;     // the type chosen for this installation: a profile server
  bool serverInstalled = false;   // the version key had a "Tarnel" subkey at start-up, or a server was installed since
  bool installed = false;         // at start-up the version key had a non-empty "InstallDir"
  std::wstring serviceAccount;    // "domain\user" or "user"; empty for none
  std::wstring servicePassword;
  std::wstring startDirectory;  // the current directory at start-up: the files are copied from here
  bool installedThisRun = false;
  std::wstring windowsDirectory;
  std::wstring systemDirectory;
  std::wstring programPath;  // this program's own file
  std::wstring computerName;
  FileTable fileTable;
  HWND mainWindow = nullptr;     // the main dialog while it is up
  unique_brush backgroundBrush;  // the background window's blue

  // The longest installation directory setup keeps (a 261-character buffer
  // with its terminator).
  static constexpr size_t kMaxDirectory = MAX_PATH;

  // The background window, while it is up (before the product is installed).
  HWND backgroundWindow() const noexcept { return backgroundWindow_.get(); }

 private:
  void ReadInstallation();

  SetupSite site_;
  unique_window backgroundWindow_;
};

}  // namespace lullan::setup
