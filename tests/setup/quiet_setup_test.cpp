// setup /quiet as a deployment tool runs it: no window at any point (a CBT
// hook on setup's thread sees none made), every message a line of the log,
// and an exit code that tells how it ended.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "dialog_answerer.h"
#include "install_folder_access.h"
#include "registry_fixture.h"
#include "setup_fixture.h"
#include "setup_switches.h"
#include "text_format.h"

namespace lullan::test {
namespace {

// Every window made on this thread while it lives, by class name.
class WindowWatch {
 public:
  WindowWatch() : hook_(::SetWindowsHookExW(WH_CBT, &Record, nullptr, ::GetCurrentThreadId())) { tWatch = this; }
  ~WindowWatch() {
    ::UnhookWindowsHookEx(hook_);
    tWatch = nullptr;
  }
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;
  const std::vector<std::wstring>& made() const { return made_; }

 private:
  static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && tWatch) {
      wchar_t name[64] = L"";
      ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, ARRAYSIZE(name));
      const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
      // COM's message-only windows never show; anything else is a window.
      if (create->hwndParent != HWND_MESSAGE) tWatch->made_.push_back(name);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static thread_local WindowWatch* tWatch;
  HHOOK hook_;
  std::vector<std::wstring> made_;
};
thread_local WindowWatch* WindowWatch::tWatch = nullptr;

class QuietSetupTest : public SetupTest {
 protected:
  struct QuietRun {
    int code;
    std::wstring log;
    std::vector<std::wstring> windows;
  };
  // Runs "setup.exe /quiet <arguments> /log <file>" in a new application object.
  QuietRun Quiet(const std::wstring& arguments) {
    const std::wstring log = scratch + L"\\quiet setup.log";
    ::DeleteFileW(log.c_str());
    WindowWatch watch;
    app = std::make_unique<setup::CSetupApp>(site);
    const std::wstring commandLine = L"setup.exe /quiet " + arguments + L" /log \"" + log + L"\"";
    int code = app->Run(commandLine.c_str());
    return {code, Widen(FileText(log), CP_UTF8), watch.made()};
  }
  static std::string FileText(const std::wstring& path) {
    std::ifstream file(Narrow(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  static bool Says(const QuietRun& run, const wchar_t* text) { return run.log.find(text) != std::wstring::npos; }
  std::wstring Dir() const { return L"/dir \"" + installDir + L"\""; }
};

TEST_F(QuietSetupTest, AWorkstationIsInstalledAndRemovedWithoutAWindow) {
  domain.AddUser(L"svc-lullan").Admin();
  // The account's own domain stays in front of it.
  QuietRun install = Quiet(L"/workstation " + Dir() + L" /account OTHERDOM\\svc-lullan /password s3cret");
  EXPECT_EQ(install.code, 0) << Narrow(install.log);
  EXPECT_EQ(install.windows, std::vector<std::wstring>{});
  EXPECT_TRUE(Says(install, L"LullanSetup: Registering service with SCM\r\n"));
  EXPECT_TRUE(Says(install, L"LullanSetup: Lullan installed successfully\r\n")) << Narrow(install.log);
  EXPECT_TRUE(setup::FileExists(InstalledFile(L"profmon.exe")));
  EXPECT_FALSE(setup::FileExists(InstalledFile(L"tarnel.exe")));
  EXPECT_EQ(Service(site.monitorServiceName).account, L"OTHERDOM\\svc-lullan");
  EXPECT_EQ(Service(site.serviceName).start, DWORD{SERVICE_AUTO_START});
  EXPECT_TRUE(setup::FileExists(MenuFolder() + L"\\LullanSetup.lnk")) << "the Start-menu question is answered Yes";

  QuietRun removal = Quiet(L"/u");
  EXPECT_EQ(removal.code, 0) << Narrow(removal.log);
  EXPECT_EQ(removal.windows, std::vector<std::wstring>{});
  EXPECT_TRUE(Says(removal, L"Do you want to reboot your computer now?")) << "told, and answered No";
  EXPECT_TRUE(systemExit.calls.empty()) << "a deployment never restarts the computer by itself";
  EXPECT_FALSE(setup::DirectoryExists(installDir)) << "nothing in use: the folder goes now";
  EXPECT_FALSE(ServiceExists(site.serviceName));
}

TEST_F(QuietSetupTest, AProfileServerIsInstalledOverWhatAnEarlierRemovalLeftAndRemoved) {
  // The restart that would have deleted them never came, and the folder
  // lets anybody change it.
  ::CreateDirectoryW(installDir.c_str(), nullptr);
  ASSERT_TRUE(SetFileSecurity(installDir, L"D:(A;OICI;FA;;;WD)"));
  std::ofstream(Narrow(InstalledFile(L"readme.txt"))) << "left over";
  const std::wstring secured = scratch + L"\\secured directly";
  ASSERT_TRUE(::CreateDirectoryW(secured.c_str(), nullptr));
  ASSERT_TRUE(SetFileSecurity(secured, InstallFolderSddl()));
  DialogAnswerer shell;  // answers what the shell would ask, should it ask
  shell.Answer(IDYES).Answer(IDYES);
  QuietRun install = Quiet(L"/server " + Dir());
  EXPECT_EQ(install.code, 0) << Narrow(install.log);
  EXPECT_EQ(install.windows, std::vector<std::wstring>{});
  EXPECT_TRUE(setup::FileExists(InstalledFile(L"tarnel.exe")));
  EXPECT_NE(FileText(InstalledFile(L"readme.txt")), "left over") << "replaced without a question";
  EXPECT_EQ(FileSecurity(installDir), FileSecurity(secured)) << "the folder gets the installation's list";
  EXPECT_EQ(Service(site.serviceName).start, DWORD{SERVICE_DEMAND_START});
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, versionKey + L"\\Tarnel\\Profiles\\stdLogoff"));

  QuietRun removal = Quiet(L"/u");
  EXPECT_EQ(removal.code, 0) << Narrow(removal.log);
  EXPECT_FALSE(setup::FileExists(InstalledFile(L"tarnel.exe")));
}

TEST_F(QuietSetupTest, EachEndHasItsExitCode) {
  domain.AddUser(L"clerk");  // no administrator
  std::ofstream(Narrow(scratch + L"\\long password.txt")) << std::string(64, 'p') << "\r\n";

  struct Case {
    const char* what;
    std::wstring arguments;
    int code;
    const wchar_t* told;
  } refusals[] = {
      {"an unknown switch", L"/workstation /frobnicate", ERROR_INVALID_PARAMETER, L"Unknown switch /frobnicate."},
      {"no installation type", L"", ERROR_INVALID_PARAMETER, L"Say what to install: /workstation or /server."},
      {"both types", L"/workstation /server", ERROR_INVALID_PARAMETER, L"Say what to install"},
      {"a value missing", L"/workstation /dir", ERROR_INVALID_PARAMETER, L"/dir needs a value."},
      {"an account without a password", L"/workstation /account svc", ERROR_INVALID_PARAMETER,
       L"/account needs /password or /password-file."},
      {"an account on a server", L"/server /account svc /password x", ERROR_INVALID_PARAMETER,
       L"/account names the configuration monitor's account"},
      {"a removal with a type", L"/u /workstation", ERROR_INVALID_PARAMETER, L"/u removes Lullan"},
      {"a password file that is not there", L"/workstation /account svc /password-file \"" + scratch + L"\\none.txt\"",
       ERROR_FILE_NOT_FOUND, L"Can't read the password file"},
      {"a password too long", L"/workstation /account svc /password-file \"" + scratch + L"\\long password.txt\"",
       ERROR_INVALID_PASSWORD, L"Error: the password is longer than 63 characters."},
      {"an account that is no administrator", L"/workstation " + Dir() + L" /account clerk /password x",
       ERROR_INVALID_SERVICE_ACCOUNT, L"Error: user clerk doesn't have administrator rights."},
      {"a removal where nothing is installed", L"/u", ERROR_UNKNOWN_PRODUCT, L"Lullan is not installed"},
  };
  for (const Case& c : refusals) {
    QuietRun run = Quiet(c.arguments);
    EXPECT_EQ(run.code, c.code) << c.what << "\n" << Narrow(run.log);
    EXPECT_TRUE(Says(run, c.told)) << c.what << "\n" << Narrow(run.log);
    EXPECT_EQ(run.windows, std::vector<std::wstring>{}) << c.what;
    EXPECT_FALSE(setup::DirectoryExists(installDir)) << c.what << ": nothing installed";
  }
  EXPECT_TRUE(Says(Quiet(L"/nonsense"), L"setup.exe /quiet /u [/log <path>]"))
      << "a refused command line shows the usage";

  // A service of that name is there already: the installation stops at its fatal step.
  {
    unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    unique_schandle squatter(::CreateServiceW(manager.get(), site.serviceName.c_str(), site.serviceName.c_str(),
                                              SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                              SERVICE_ERROR_IGNORE, L"C:\\x.exe", nullptr, nullptr, nullptr, nullptr,
                                              nullptr));
    ASSERT_TRUE(squatter);
    QuietRun stopped = Quiet(L"/workstation " + Dir());
    EXPECT_EQ(stopped.code, ERROR_INSTALL_FAILURE) << Narrow(stopped.log);
    EXPECT_TRUE(Says(stopped, L"Lullan already installed")) << Narrow(stopped.log);
    ::DeleteService(squatter.get());
  }
  QuietRun cleanup = Quiet(L"/u");  // what the stopped installation left

  ASSERT_EQ(Quiet(L"/workstation " + Dir()).code, 0);
  QuietRun again = Quiet(L"/workstation " + Dir());
  EXPECT_EQ(again.code, ERROR_PRODUCT_VERSION);
  EXPECT_TRUE(Says(again, L"Lullan is installed already, in ")) << Narrow(again.log);

  // A file in use cannot go before the restart, which is never made here.
  unique_file inUse(::CreateFileW(InstalledFile(L"readme.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(inUse);
  QuietRun removal = Quiet(L"/u");
  EXPECT_EQ(removal.code, ERROR_SUCCESS_REBOOT_REQUIRED) << Narrow(removal.log);
  EXPECT_TRUE(systemExit.calls.empty());
  EXPECT_FALSE(ServiceExists(site.serviceName)) << "the rest is gone";
}

TEST(SetupSwitches, AreReadInAnyCaseBehindEitherCharacterWithQuotedValues) {
  setup::ParsedSwitches parsed = setup::ParseSetupSwitches(
      L"\"C:\\Program Files\\Lullan\\setup.exe\" -QUIET /Workstation -dir \"D:\\Apps\\Lullan\" /ACCOUNT "
      L"FENNICK\\svc -Password \"two words\"");
  EXPECT_EQ(parsed.error, L"");
  EXPECT_TRUE(parsed.switches.quiet && !parsed.switches.server && !parsed.switches.uninstall);
  EXPECT_EQ(parsed.switches.dir, L"D:\\Apps\\Lullan");
  EXPECT_EQ(parsed.switches.password, L"two words");
  EXPECT_FALSE(setup::IsQuietCommandLine(L"\"C:\\quiet\\setup.exe\" /u")) << "the program's own path is no switch";
}

}  // namespace
}  // namespace lullan::test
