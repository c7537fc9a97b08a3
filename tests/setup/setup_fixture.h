// A machine for setup to work on, in the test prefix: names of its own for
// every key, service and folder setup touches (so a run never meets another
// test's), a start directory holding the product files, a Programs folder
// with "Administrative Tools", a domain with a controller that knows the
// administrator, the service manager seam scripted for this machine, and
// the system exit recorded. Everything setup made is removed afterwards.
//
//   ModalSession admin;
//   ScriptInstallation(admin, {.server = true});
//   admin.Click(IDOK)...;            // the main dialog's Install
//   RunSetup(admin);
//   EXPECT_TRUE(ServiceExists(site.serviceName));
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dialog_session.h"
#include "fake_platform.h"
#include "scripted_domain.h"
#include "scripted_service_manager.h"
#include "setup_app.h"

namespace lullan::test {

// One service as the service control manager keeps it (its registry key).
struct ServiceConfig {
  DWORD type = 0;
  DWORD start = 0;
  DWORD errorControl = 0;
  std::wstring imagePath;
  std::wstring dependencies;  // the list, names joined with "|"
  std::wstring account;       // ObjectName
  std::optional<std::wstring> description;
};

class SetupTest : public ::testing::Test {
 protected:
  SetupTest();
  ~SetupTest() override;

  // How ScriptInstallation answers the installation's dialogs.
  struct Installation {
    bool server = false;
    std::wstring account = {};  // empty: the account dialog is left empty
    std::wstring password = {};
    bool shortcut = true;                           // the workstation's Start-menu question
    std::optional<int> previousVersionAnswer = {};  // when a previous version is there
    bool replaceFiles = false;                      // the shell asks before replacing
  };
  // Scripts every box and dialog of one Install command, in the order they
  // come, for a directory that does not exist yet (created when asked).
  void ScriptInstallation(ModalSession& admin, const Installation& how);
  // The dialog steps on their own.
  static DialogAnswerer::Action TypeInto(unsigned id, std::wstring text, int button);
  static DialogAnswerer::Action FillAccount(std::wstring name, std::wstring password, std::wstring repeat);

  // Installs as `how` says from the main dialog and leaves it; the boxes seen.
  std::vector<SeenDialog> InstallFromMainDialog(const Installation& how);

  // Runs setup in a new application object, the session driving its main
  // dialog; the exit code. The application stays for inspection.
  int RunSetup(DialogSession& admin, const wchar_t* commandLine = L"setup.exe");
  // Runs setup where no main dialog is to come (uninstall mode, refusals):
  // the boxes are answered with `answers`, in order.
  int RunSetupAnswering(const std::vector<int>& answers, const wchar_t* commandLine, std::vector<SeenDialog>* seen);

  // The state of the machine.
  bool ServiceExists(const std::wstring& name) const;
  ServiceConfig Service(const std::wstring& name) const;
  std::wstring InstalledFile(const wchar_t* name) const { return installDir + L"\\" + name; }
  std::set<std::wstring> InstalledFiles() const;  // the rows of the file table in the installation directory
  std::wstring MenuFolder() const { return programs + L"\\Administrative Tools\\Lullan"; }
  std::vector<std::wstring> PendingDeletions() const;  // at the next restart, as paths
  // The access control list of a key under HKEY_LOCAL_MACHINE, one entry a
  // line ("allow 0xF003F S-1-5-18"); empty when the key cannot be read.
  static std::vector<std::string> KeyAcl(const std::wstring& path);
  // The owner and access control list of a file or folder as they read
  // back, the owner first ("owner S-1-5-32-544"); empty when unreadable.
  static std::vector<std::string> FileSecurity(const std::wstring& path);
  // Gives a file or folder the owner and list of an SDDL text.
  static bool SetFileSecurity(const std::wstring& path, const std::wstring& sddl);
  // The file a shell link points at; empty when it cannot be read.
  static std::wstring ShortcutTarget(const std::wstring& link);
  // Waits up to ten seconds for `done`, which a program started in the
  // background makes true (quitsrv's registration).
  static bool Eventually(const std::function<bool()>& done);
  bool QuitsrvRegistered() const;

  // Every text in `boxes`, one per box, for comparisons; and all of them, one
  // box a line, for failure messages.
  static std::vector<std::wstring> Texts(const std::vector<SeenDialog>& boxes);
  static std::string Describe(const std::vector<SeenDialog>& boxes);

  setup::SetupSite site;
  std::wstring versionKey;
  std::wstring scratch;         // this test's folder
  std::wstring startDirectory;  // what setup installs from ("...\dist files")
  std::wstring programs;        // the Start menu's Programs folder
  std::wstring installDir;      // where installations go: "...\Program Files\Lullan", not made beforehand
  std::unique_ptr<setup::CSetupApp> app;

  ScriptedDomain domain;
  ScriptedDomain::User* runningUser;  // the account running the tests, an administrator of the domain
  ScriptedServiceManager services;
  RecordingSystemExit systemExit;

 private:
  void WriteStartDirectory();
  void RemoveEverything();

  ScopedPlatform platform_;
  std::wstring previousDirectory_;
  std::optional<std::vector<BYTE>> pendingBefore_;
};

}  // namespace lullan::test
