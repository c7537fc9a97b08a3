// setup from its start to its main dialog and back: the command line, who
// may run it, what an installed machine looks like to it, the main dialog's
// status line and keys, and leaving it.
#include <gtest/gtest.h>

#include "background_window.h"
#include "command_line.h"
#include "registry_fixture.h"
#include "resource.h"
#include "setup_dlg.h"
#include "setup_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using setup::IsUninstallCommandLine;
using setup::StatusText;

std::wstring ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = ARRAYSIZE(name);
  ::GetComputerNameW(name, &length);
  return name;
}

void PressKey(HWND window, UINT key) {
  HWND focus = ::GetFocus();
  ::PostMessageW(focus ? focus : window, WM_KEYDOWN, key, 0);
  ::PostMessageW(focus ? focus : window, WM_KEYUP, key, 0);
}

TEST(SetupCommandLine, TheLetterAfterTheFirstSwitchOfTheArgumentsChoosesTheMode) {
  struct Case {
    const wchar_t* commandLine;
    bool uninstall;
  };
  for (const Case& c : {Case{L"setup.exe /u", true}, Case{L"setup.exe -U", true}, Case{L"setup.exe /r", true},
                        Case{L"setup.exe -R", true}, Case{L"\"C:\\Program Files\\Lullan\\setup.exe\" /u", true},
                        Case{L"setup.exe /x", false}, Case{L"setup.exe", false}, Case{L"", false},
                        Case{L"setup.exe /", false}, Case{L"setup.exe  -uninstall", true},
                        // The program's own path chooses nothing, quoted or not.
                        Case{L"C:\\Lullan-Test\\setup.exe /u", true}, Case{L"C:\\Lullan-Remove\\setup.exe", false},
                        Case{L"\"C:\\Fennick-Tools\\Lullan\\setup.exe\" /U", true},
                        Case{L"\"C:\\Fennick-Remove\\Lullan\\setup.exe\"", false},
                        Case{L"C:\\Program Files\\Lullan\\setup.exe /u", true}, Case{L"\"C:\\unclosed -r", false}}) {
    EXPECT_EQ(IsUninstallCommandLine(c.commandLine), c.uninstall) << Narrow(c.commandLine);
  }
}

TEST(SetupStatusLine, SaysWhatTheFocusedButtonWouldDo) {
  struct Case {
    unsigned focus;
    const wchar_t* text;
  };
  for (const Case& c : {Case{IDOK, L"Install Lullan service on computer PC-017"},
                        Case{IDC_CONFIGURE, L"Configure Lullan service on computer PC-017"},
                        Case{IDC_REMOVE, L"Remove Lullan service from computer PC-017"},
                        Case{IDC_START_STOP, L"Start/Stop  Lullan service on computer PC-017"},
                        Case{IDC_RELEASE_NOTES, L"Read release notes for Lullan 1.11/SR2"},
                        Case{IDCANCEL, L"One click && we're outta here..."},
                        Case{IDC_STATUS, L"Configure Lullan service on computer PC-017"},
                        Case{0, L"Configure Lullan service on computer PC-017"}}) {
    EXPECT_EQ(StatusText(c.focus, L"PC-017"), c.text) << "focus on " << c.focus;
  }
}

// Both icons, at both sizes, from setup's own images: the configuration
// pages' icons are linked into the same program.
TEST(SetupResources, TheIconsDirectoriesNameSetupsOwnImages) {
  HMODULE self = ::GetModuleHandleW(nullptr);
  struct Icon {
    unsigned group;
    unsigned small;
    unsigned large;
  };
  for (const Icon& icon : {Icon{IDI_SETUP, IDI_SETUP_IMAGE_16, IDI_SETUP_IMAGE_32},
                           Icon{IDI_INSTALL, IDI_INSTALL_IMAGE_16, IDI_INSTALL_IMAGE_32}}) {
    HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(icon.group), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr) << icon.group;
    auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(self, found)));
    EXPECT_EQ(::LookupIconIdFromDirectoryEx(directory, TRUE, 16, 16, 0), static_cast<int>(icon.small));
    EXPECT_EQ(::LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, 0), static_cast<int>(icon.large));
    for (unsigned image : {icon.small, icon.large}) {
      HRSRC bits = ::FindResourceW(self, MAKEINTRESOURCEW(image), RT_ICON);
      ASSERT_NE(bits, nullptr) << image;
      const auto* header = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(self, bits)));
      EXPECT_EQ(header->biBitCount, 32u) << image;
      EXPECT_EQ(header->biWidth, image == icon.small ? 16 : 32) << image;
    }
  }
}

class StartUpTest : public SetupTest {};

TEST_F(StartUpTest, ANewMachineShowsTheBackgroundAndTheStatusLineFollowsTheKeyboard) {
  const std::wstring computer = ComputerName();
  ModalSession admin;
  admin
      .Look([&](const Controls& dialog) {
        EXPECT_EQ(DialogAnswerer::WindowText(dialog.parent), L"Lullan Configuration & Setup Utility");
        EXPECT_EQ(dialog.Label(IDC_START_STOP), L"Start Lullan") << "the service does not exist";
        EXPECT_TRUE(::IsWindowVisible(dialog.Item(IDC_START_STOP)));
        HWND background = ::FindWindowW(setup::kBackgroundClass, L"Setup Lullan");
        EXPECT_TRUE(background && ::IsWindowVisible(background) && ::IsZoomed(background));
        EXPECT_TRUE(dialog.Focused(IDOK));
        EXPECT_EQ(dialog.Text(IDC_STATUS), L"Install Lullan service on computer " + computer);
      })
      .Do(L"press Tab", [](HWND dialog) { PressKey(dialog, VK_TAB); })
      .Look([&](const Controls& dialog) {
        EXPECT_TRUE(dialog.Focused(IDC_CONFIGURE));
        EXPECT_EQ(dialog.Text(IDC_STATUS), L"Configure Lullan service on computer " + computer);
      })
      .Do(L"press Escape", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); });
  EXPECT_EQ(RunSetup(admin), 0);
  EXPECT_TRUE(admin.boxes().empty()) << Narrow(admin.Describe());
  app.reset();
  EXPECT_EQ(::FindWindowW(setup::kBackgroundClass, nullptr), nullptr) << "the background lives as long as setup";
}

TEST_F(StartUpTest, ConfigureWarnsOfASharedProfileAndExitRemovesWhatItWroteWhereNothingWasInstalled) {
  // A profile name far beyond its 63 characters is shown by its first 63.
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"Profile", std::wstring(63, L'p') + std::wstring(5000, L'q'));
  auto pressOK = [](HWND sheet) { DialogAnswerer::PressButton(sheet, IDOK); };
  ModalSession admin;
  admin.Answer(IDNO).Click(IDC_CONFIGURE).Answer(IDYES).Answer(pressOK).Click(IDC_CONFIGURE).Click(IDCANCEL);
  RunSetup(admin);
  ASSERT_EQ(admin.boxes().size(), 3u) << "warning, warning, sheet: " << Narrow(admin.Describe());
  const std::wstring warning = L"Warning: the shared profile '" + std::wstring(63, L'p') +
                               L"' is assigned to this workstation.  Changing this configuration will NOT affect the "
                               L"profile. It is better to either edit the shared profile on the server, or remove the "
                               L"profile from this configuration while making your changes. Do you really want to "
                               L"proceed and edit this configuration now?";
  EXPECT_EQ(admin.boxes()[0].Text(), warning);
  EXPECT_EQ(admin.boxes()[1].Text(), warning);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, versionKey))
      << "never installed: Exit deletes the key, which has no subkeys";
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, site.productKey)) << "only the version key goes";
}

TEST_F(StartUpTest, OnAnInstalledMachineNothingIsShownBehindAndExitTouchesNothing) {
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"InstallDir", installDir);
  services.On(L"").Service(site.serviceName, SERVICE_RUNNING);
  ModalSession admin;
  admin
      .Look([](const Controls& dialog) {
        EXPECT_EQ(::FindWindowW(setup::kBackgroundClass, nullptr), nullptr);
        EXPECT_EQ(dialog.Label(IDC_START_STOP), L"Stop Lullan");
      })
      .Click(IDCANCEL);
  RunSetup(admin);
  EXPECT_TRUE(app->installed);
  EXPECT_EQ(app->installDir, installDir);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, versionKey, L"InstallDir"), installDir);
}

TEST_F(StartUpTest, EnterRunsInstallAndRefusingTheLicenceInstallsNothing) {
  ModalSession admin;
  admin
      .Answer([](HWND licence) {
        EXPECT_EQ(DialogAnswerer::WindowText(licence), L"Lullan Licence Agreement");
        DialogAnswerer::PressButton(licence, IDNO);
      })
      .Answer(IDOK)
      .Do(L"press Enter", [](HWND dialog) { PressKey(dialog, VK_RETURN); })
      .Click(IDCANCEL);
  RunSetup(admin);
  ASSERT_EQ(admin.boxes().size(), 2u) << Narrow(admin.Describe());
  EXPECT_EQ(admin.boxes()[1].Text(), L"Lullan not installed.");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, versionKey));
}

TEST_F(StartUpTest, OnlyAnAdministratorGetsPastTheStart) {
  std::vector<SeenDialog> seen;
  runningUser->Privilege(USER_PRIV_USER);
  EXPECT_EQ(RunSetupAnswering({IDOK}, L"setup.exe", &seen), 0);
  ASSERT_EQ(seen.size(), 1u) << "no main dialog after the refusal";
  EXPECT_EQ(seen[0].caption, L"LullanSetup");
  EXPECT_EQ(seen[0].Text().rfind(L"LullanSetup error 5: Access denied - not an administrator\n", 0), 0u)
      << Narrow(seen[0].Text());

  // An account the domain controller does not know: the process's own token
  // decides, and in the test prefix it is an administrator's.
  runningUser->name = L"someone-the-domain-does-not-know";
  RunSetupAnswering({IDCANCEL}, L"setup.exe", &seen);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, L"Lullan Configuration & Setup Utility") << "the main dialog, left with Exit";

  // Without a domain controller the check says so and goes on with the token.
  domain.NoDomainController(ERROR_NO_SUCH_DOMAIN);
  RunSetupAnswering({IDOK, IDCANCEL}, L"setup.exe", &seen);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].Text(), L"Error 1355 trying to get domain controller.\r\nIs the network functioning?");
  EXPECT_EQ(seen[1].caption, L"Lullan Configuration & Setup Utility");
}

}  // namespace
}  // namespace lullan::test
