#include "quiet_setup.h"

#include <objbase.h>

#include <algorithm>
#include <optional>

#include "file_table.h"
#include "install.h"
#include "message_box.h"
#include "package_installation.h"
#include "quiet_output.h"
#include "service_account_dlg.h"
#include "setup_app.h"
#include "setup_switches.h"
#include "text_format.h"
#include "uninstall.h"

namespace lullan::setup {

namespace {

// The first line of a password file: UTF-16 with its byte-order mark, or
// UTF-8 (with or without one). Nothing, with the error, when it cannot be read.
std::optional<std::wstring> ReadPasswordFile(const std::wstring& path, DWORD* error) {
  unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  char bytes[1024];
  DWORD size = 0;
  if (!file || !::ReadFile(file.get(), bytes, sizeof bytes, &size, nullptr)) {
    *error = ::GetLastError();
    return std::nullopt;
  }
  std::string_view data(bytes, size);
  std::wstring text;
  if (data.starts_with("\xFF\xFE")) {
    text.assign(reinterpret_cast<const wchar_t*>(data.data() + 2), (data.size() - 2) / sizeof(wchar_t));
  } else {
    if (data.starts_with("\xEF\xBB\xBF")) data.remove_prefix(3);
    text = Widen(data, CP_UTF8);
  }
  return text.substr(0, text.find_first_of(L"\r\n"));
}

// A directory as the services and the uninstall entry name it: full, and
// without a trailing backslash.
std::wstring FullDirectory(const std::wstring& typed) {
  wchar_t full[MAX_PATH];
  DWORD length = ::GetFullPathNameW(typed.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring directory(full, length);
  while (directory.size() > 3 && directory.back() == L'\\') directory.pop_back();
  return directory;
}

int QuietInstall(CSetupApp& app, const SetupSwitches& switches, const std::optional<std::wstring>& password) {
  if (app.installed) {
    ui::ShowMessage(nullptr, FormatText(L"%s is installed already, in %s.", kProductName, app.installDir.c_str()));
    return ERROR_PRODUCT_VERSION;
  }
  app.serverInstall = switches.server;
  if (!switches.dir.empty()) {
    app.installDir = FullDirectory(switches.dir);
    if (app.installDir.empty()) {
      ui::ShowMessage(nullptr, FormatText(L"%s can't be the installation directory.", switches.dir.c_str()));
      return ERROR_BAD_PATHNAME;
    }
    app.fileTable = MakeFileTable(app.programPath.substr(app.programPath.find_last_of(L'\\') + 1), app.installDir);
  }
  if (!switches.account.empty()) {
    if (password->size() > CServiceAccountDlg::kMaxChars) {
      ui::ShowMessage(nullptr, L"Error: the password is longer than 63 characters.");
      return ERROR_INVALID_PASSWORD;
    }
    std::wstring account;
    if (CheckServiceAccount(app, nullptr, switches.account, &account) != AccountCheck::Accepted)
      return ERROR_INVALID_SERVICE_ACCOUNT;
    app.serviceAccount = std::move(account);
    app.servicePassword = *password;
  }
  return Install(app, nullptr) ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

int QuietUninstall(CSetupApp& app, const QuietMessageSink& sink) {
  if (!app.installed) {
    ui::ShowMessage(nullptr, FormatText(L"%s is not installed on this computer.", kProductName));
    return ERROR_UNKNOWN_PRODUCT;
  }
  Uninstall(app, nullptr);
  // The removal offers the restart only once it ran to its end.
  if (!sink.restartOffered()) return ERROR_INSTALL_FAILURE;
  // A file in use (the running setup.exe among them) goes at the restart.
  bool filesLeft = std::any_of(app.fileTable.begin(), app.fileTable.end(), [&app](const InstallFileEntry& row) {
    return row.replace && (!row.serverOnly || app.serverInstalled) && FileExists(row.Path());
  });
  if (filesLeft) return ERROR_SUCCESS_REBOOT_REQUIRED;
  ::RemoveDirectoryW(app.installDir.c_str());  // empty now: it need not wait for the restart
  return ERROR_SUCCESS;
}

// COM for the shell links of an installation.
class ComForThisThread {
 public:
  ComForThisThread() : entered_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComForThisThread() {
    if (entered_) ::CoUninitialize();
  }
  ComForThisThread(const ComForThisThread&) = delete;
  ComForThisThread& operator=(const ComForThisThread&) = delete;

 private:
  bool entered_;
};

}  // namespace

int RunQuietSetup(CSetupApp& app, const wchar_t* commandLine) {
  ui::SetProgramTitle(kApplicationName);
  ParsedSwitches parsed = ParseSetupSwitches(commandLine ? commandLine : L"");
  QuietOutput output(parsed.switches.log);
  QuietMessageSink sink(output);
  if (!parsed.error.empty()) {
    output.Write(parsed.error);
    output.Write(kSetupUsage);
    return ERROR_INVALID_PARAMETER;
  }
  const SetupSwitches& switches = parsed.switches;
  std::optional<std::wstring> password = switches.password;
  if (!switches.passwordFile.empty()) {
    DWORD error = ERROR_SUCCESS;
    password = ReadPasswordFile(switches.passwordFile, &error);
    if (!password) {
      output.Write(FormatText(L"Can't read the password file %s (error %lu).", switches.passwordFile.c_str(),
                              static_cast<unsigned long>(error)));
      return static_cast<int>(error);
    }
  }

  app.quiet = true;
  if (!app.Start(commandLine)) return ERROR_ACCESS_DENIED;  // said already
  if (RefusedForPackage(nullptr)) return ERROR_PRODUCT_VERSION;
  ComForThisThread com;
  return switches.uninstall ? QuietUninstall(app, sink) : QuietInstall(app, switches, password);
}

}  // namespace lullan::setup
