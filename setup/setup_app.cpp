#include "setup_app.h"

#include <lmcons.h>

#include "background_window.h"
#include "command_line.h"
#include "config_host.h"
#include "config_key.h"
#include "dialog.h"
#include "domain_checks.h"
#include "message_box.h"
#include "quiet_setup.h"
#include "schema.h"
#include "setup_dlg.h"
#include "setup_switches.h"
#include "uninstall.h"

namespace lullan::setup {

namespace {

std::wstring SystemPath(UINT(WINAPI* get)(LPWSTR, UINT)) {
  wchar_t path[MAX_PATH] = {};
  UINT length = get(path, ARRAYSIZE(path));
  return length > 0 && length < ARRAYSIZE(path) ? std::wstring(path, length) : std::wstring();
}

std::wstring CurrentDirectory() {
  DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring directory(size, L'\0');
  DWORD length = ::GetCurrentDirectoryW(size, directory.data());
  directory.resize(length < size ? length : 0);
  return directory;
}

std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

CSetupApp::CSetupApp(SetupSite site) : site_(std::move(site)) {}

CSetupApp::~CSetupApp() {
  // Before the brush the class paints with goes.
  if (backgroundWindow_) {
    backgroundWindow_.reset();
    ::UnregisterClassW(kBackgroundClass, ::GetModuleHandleW(nullptr));
  }
}

bool CSetupApp::Start(const wchar_t* commandLine) {
  backgroundBrush.reset(::CreateSolidBrush(RGB(0, 0, 255)));
  ui::InitCommonControlsOnce();
  ui::SetProgramTitle(kApplicationName);

  versionKey = site_.VersionKey();
  fallbackDirectory = FallbackInstallDirectory();
  systemDirectory = SystemPath(&::GetSystemDirectoryW);
  windowsDirectory = SystemPath(&::GetWindowsDirectoryW);
  startDirectory = CurrentDirectory();
  programPath = site_.programPath.empty() ? OwnPath() : site_.programPath;

  wchar_t user[UNLEN + 1] = {};
  DWORD length = ARRAYSIZE(user);
  if (!::GetUserNameW(user, &length)) {
    config::ReportError(nullptr, 1, L"Can't get user name");
    return false;
  }
  if (!IsUserAdmin(*this, nullptr, user)) {
    config::ReportError(nullptr, ERROR_ACCESS_DENIED, L"Access denied - not an administrator");
    return false;
  }
  uninstallMode = IsUninstallCommandLine(commandLine ? commandLine : L"");
  ReadInstallation();
  fileTable = MakeFileTable(programPath.substr(programPath.find_last_of(L'\\') + 1), installDir);
  serviceAccount.clear();
  servicePassword.clear();
  return true;
}

void CSetupApp::ReadInstallation() {
  installed = false;
  serverInstalled = false;
  LSTATUS status = ERROR_SUCCESS;
  if (config::ConfigKey version = config::ConfigKey::Open(versionKey, KEY_READ, &status)) {
    // A directory longer than any path can be is no installation's.
    std::optional<std::wstring> directory = version.QueryText(config::kInstallDir);
    if (directory && !directory->empty() && directory->size() <= kMaxDirectory) {
      installDir = *directory;
      installed = true;
      config::ConfigKey console = config::ConfigKey::Open(versionKey + L"\\" + kConsoleSubkey, KEY_READ, &status);
      serverInstalled = static_cast<bool>(console);
    }
  }
  if (!installed) installDir = DefaultInstallDirectory(systemDirectory, fallbackDirectory);
}

int CSetupApp::Run(const wchar_t* commandLine) {
  if (IsQuietCommandLine(commandLine ? commandLine : L"")) return RunQuietSetup(*this, commandLine);
  if (!Start(commandLine)) return 0;
  if (uninstallMode) {
    Uninstall(*this, nullptr);
    return 0;
  }
  if (!installed) {
    backgroundWindow_.reset(CreateBackgroundWindow(backgroundBrush.get()));
    if (!backgroundWindow_) config::ReportError(nullptr, 1, L"Can't create background window");
  }
  CSetupDlg dialog(*this);
  INT_PTR result = dialog.DoModal(backgroundWindow_.get());
  // Configure writes the version key even where nothing was ever installed:
  // leaving, such a key goes again (as long as it has no subkeys).
  if (result == IDCANCEL && !installed && !installedThisRun) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, versionKey.c_str());
  return 0;
}

}  // namespace lullan::setup
