// The shared profiles of the profile server, as the administrator manages
// them in the "Shared profiles" dialog: the first profile of a new server,
// adding, editing a profile in its sheet, deleting it, and the dialog as the
// chooser of "Assign Profile".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "config_key.h"
#include "new_profile_dlg.h"
#include "profile_server_fixture.h"
#include "profile_sessions.h"
#include "config/resource.h"
#include "resource.h"
#include "shared_profiles_dlg.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using tarnel::CSharedProfilesDlg;
using Mode = CSharedProfilesDlg::Mode;

// Every key the console creates for a profile carries these entries, in this order.
const std::vector<std::wstring> kProductKeyAcl = {L"allow 0x20019 S-1-1-0", L"allow 0xf003f S-1-5-32-544",
                                                  L"allow 0xf003f S-1-5-18", L"allow 0xf003f S-1-3-0"};
constexpr wchar_t kNoProfiles[] = L"No profiles exist. Do you want to create one?";

class SharedProfilesTest : public ProfileServerTest {
 protected:
  static std::wstring NameDialog() { return L"Add new shared profile: &Enter name for a new shared profile:"; }
};

TEST_F(SharedProfilesTest, OnANewServerNoClosesTheDialogAndYesWithANameOpensItListingTheNewProfile) {
  {
    CSharedProfilesDlg profiles(app.host());
    ModalSession admin;
    admin.Answer(IDNO);
    EXPECT_EQ(admin.Run(profiles), 0) << "No closes the dialog before it shows";
    EXPECT_EQ(Texts(admin), std::vector<std::wstring>{Box(kNoProfiles)});
  }
  {
    // A name dialog left empty makes no profile either; the Profiles key
    // made the first time stays, so the question is asked only while there
    // is none.
    DeleteTree(HKEY_LOCAL_MACHINE, ProfilesKey());
    CSharedProfilesDlg profiles(app.host());
    ModalSession admin;
    admin.Answer(IDYES).Answer(NewProfileName(L""));
    EXPECT_EQ(admin.Run(profiles), 0);
    EXPECT_EQ(Texts(admin), (std::vector<std::wstring>{Box(kNoProfiles), NameDialog()}));
  }
  DeleteTree(HKEY_LOCAL_MACHINE, ProfilesKey());
  CSharedProfilesDlg profiles(app.host());
  ModalSession admin;
  admin.Answer(IDYES)
      .Answer(NewProfileName(L"Finance"))
      .Look([](const Controls& dialog) {
        EXPECT_EQ(ProfileEntries(dialog), std::vector<std::wstring>{L"Finance"});
        EXPECT_EQ(::SendMessageW(dialog.Item(IDC_PROFILE_LIST), LB_GETCURSEL, 0, 0), 0)
            << "the new profile is selected";
      })
      .PressCancel();
  EXPECT_EQ(admin.Run(profiles), IDCANCEL);
  EXPECT_EQ(profiles.profileName(), L"Finance") << "closed with the new profile selected";

  EXPECT_EQ(Subkeys(ProfilesKey()), std::vector<std::wstring>{L"Finance"});
  EXPECT_EQ(Subkeys(ProfileKey(L"Finance")), std::vector<std::wstring>{L"Groups"});
  EXPECT_EQ(CountValues(HKEY_LOCAL_MACHINE, ProfileKey(L"Finance")), 0u) << "a new profile is empty";
  EXPECT_EQ(CountValues(HKEY_LOCAL_MACHINE, ProfileKey(L"Finance") + L"\\Groups"), 0u);
  for (const std::wstring& key : {ProfilesKey(), ProfileKey(L"Finance"), ProfileKey(L"Finance") + L"\\Groups"}) {
    EXPECT_EQ(KeyAcl(key), kProductKeyAcl) << Narrow(key);
  }
}

TEST_F(SharedProfilesTest, AddRefusesANameInUseInAnyCaseAndAnEmptyNameDoesNothing) {
  Profile(L"stdLogoff");
  Profile(L"stdReboot");
  const std::vector<std::wstring> standard = {L"stdLogoff", L"stdReboot"};
  CSharedProfilesDlg profiles(app.host());
  ModalSession admin;
  admin.Look([&](const Controls& dialog) { EXPECT_EQ(ProfileEntries(dialog), standard); })
      .Click(IDC_ADD_PROFILE)
      .Answer(NewProfileName(L"STDLOGOFF"))
      .Answer(IDOK)
      .Look([&](const Controls& dialog) { EXPECT_EQ(ProfileEntries(dialog), standard); })
      .Click(IDC_ADD_PROFILE)
      .Answer(NewProfileName(L""))
      .Click(IDC_ADD_PROFILE)
      .Answer(IDCANCEL)
      .Click(IDC_ADD_PROFILE)
      .Answer(NewProfileName(L"Finance"))
      .Look([](const Controls& dialog) {
        EXPECT_EQ(ProfileEntries(dialog), (std::vector<std::wstring>{L"Finance", L"stdLogoff", L"stdReboot"}))
            << "kept sorted";
      })
      .PressCancel();
  admin.Run(profiles);
  EXPECT_EQ(Texts(admin),
            (std::vector<std::wstring>{NameDialog(), Box(L"OnAdd: error creating registry key " + ProfilesKey()),
                                       NameDialog(), NameDialog(), NameDialog()}));
  EXPECT_EQ(Subkeys(ProfilesKey()), (std::vector<std::wstring>{L"Finance", L"stdLogoff", L"stdReboot"}));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, ProfileKey(L"stdLogoff") + L"\\Groups", L"Staff"), 1u)
      << "the profile in use is left as it was";
}

TEST_F(SharedProfilesTest, TheNameOfANewProfileHoldsSixtyThreeCharactersAndNoBackslash) {
  tarnel::CNewProfileDlg ask;
  ModalSession admin;
  admin.Look([](const Controls& dialog) { EXPECT_TRUE(dialog.Focused(IDC_NEW_PROFILE_NAME)); })
      .Type(IDC_NEW_PROFILE_NAME, L"Lab\\Evening")
      .PressOK()
      .Answer(IDOK)
      .Look([](const Controls& dialog) {
        EXPECT_EQ(dialog.Text(IDC_NEW_PROFILE_NAME), L"Lab\\Evening") << "the dialog stays, with the name to mend";
        EXPECT_TRUE(dialog.Focused(IDC_NEW_PROFILE_NAME));
      })
      .Type(IDC_NEW_PROFILE_NAME, std::wstring(70, L'x'))
      .PressOK();
  EXPECT_EQ(admin.Run(ask), IDOK);
  EXPECT_EQ(Texts(admin), std::vector<std::wstring>{Box(L"A profile name cannot contain a backslash (\\).")});
  EXPECT_EQ(ask.name(), std::wstring(63, L'x'));
}

TEST_F(SharedProfilesTest, EditOpensTheProfilesFourPagesWhoseOKWritesAndStampsTheProfile) {
  Profile(L"stdLogoff");
  Profile(L"stdShutdown");
  Workstation(L"PC-1");
  // Left by an earlier sheet: cleared before this one opens.
  config::ChangeMasks& masks = app.host().changes();
  masks.Mark(config::SettingOf(config::kNetBytesSec).change);

  std::vector<std::wstring> profileBoxes;
  std::wstring captions;
  std::vector<std::wstring> tabs;
  bool netBytesMarkedInSheet = true;
  ConsoleSession admin;
  admin.WaitForScan()
      .Do(L"manage the shared profiles",
          [&](HWND panel) {
            OpenedSession<ModalSession> profiles;
            profiles.Do(L"read its caption", [&](HWND dialog) { captions = DialogAnswerer::WindowText(dialog); })
                .Click(IDOK)
                .Answer(IDOK)
                .Click(IDC_DELETE_PROFILE)
                .Answer(IDOK)
                .Do(L"select stdShutdown", [](HWND dialog) { SelectProfile(dialog, L"stdShutdown"); })
                .Do(L"edit it",
                    [&](HWND dialog) {
                      OpenedSession<SheetSession> sheet;
                      sheet
                          .Do(L"read the tabs",
                              [&](HWND window) {
                                captions += L" / " + DialogAnswerer::WindowText(window);
                                HWND tabControl = PropSheet_GetTabControl(window);
                                for (int i = 0, n = TabCtrl_GetItemCount(tabControl); i < n; ++i) {
                                  wchar_t text[64] = {};
                                  TCITEMW item{};
                                  item.mask = TCIF_TEXT;
                                  item.pszText = text;
                                  item.cchTextMax = ARRAYSIZE(text);
                                  TabCtrl_GetItem(tabControl, i, &item);
                                  tabs.push_back(text);
                                }
                                netBytesMarkedInSheet = masks.IsMarked(config::SettingOf(config::kNetBytesSec).change);
                              })
                          .Type(IDC_GENERAL_IDLE_MINUTES, L"45")
                          .PressOK();
                      sheet.ClickToOpen(dialog, IDOK);
                      EXPECT_TRUE(sheet.boxes().empty()) << Narrow(sheet.Describe());
                    })
                .PressCancel();
            profiles.ClickToOpen(panel, IDC_SHARED_PROFILES);
            profileBoxes = Texts(profiles);
          })
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(profileBoxes, (std::vector<std::wstring>{Box(L"Nothing is selected - don't know what to edit."),
                                                     Box(L"Nothing is selected - don't know what to delete.")}));
  EXPECT_EQ(captions, L"Shared profiles / Configuration for profile stdShutdown");
  EXPECT_EQ(tabs, (std::vector<std::wstring>{L"General", L"Groups", L"Tuning", L"Notification"}))
      << "a profile has no Profile page";
  EXPECT_FALSE(netBytesMarkedInSheet) << "the masks are cleared before the sheet opens";
  const std::wstring edited = ProfileKey(L"stdShutdown");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, edited, L"IdleMinutes"), 45u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, edited, L"ProfileLastChanged"), 0x000E0005u) << "stamped at 14:05";
  EXPECT_EQ(CountValues(HKEY_LOCAL_MACHINE, ProfileKey(L"stdLogoff")), 0u) << "the other profile is not touched";
}

TEST_F(SharedProfilesTest, DeleteRemovesTheGroupsSubkeyAndTheProfileAfterTheQuestion) {
  Profile(L"stdLogoff");
  Profile(L"stdReboot");
  WriteString(HKEY_LOCAL_MACHINE, ProfileKey(L"stdReboot"), L"Action", L"Reboot");
  CSharedProfilesDlg profiles(app.host());
  ModalSession admin;
  admin.Do(L"select stdReboot", [](HWND dialog) { SelectProfile(dialog, L"stdReboot"); })
      .Click(IDC_DELETE_PROFILE)
      .Answer(IDNO)
      .Look([](const Controls& dialog) {
        EXPECT_EQ(ProfileEntries(dialog), (std::vector<std::wstring>{L"stdLogoff", L"stdReboot"}));
      })
      .Click(IDC_DELETE_PROFILE)
      .Answer(IDYES)
      .Look([](const Controls& dialog) { EXPECT_EQ(ProfileEntries(dialog), std::vector<std::wstring>{L"stdLogoff"}); })
      // Someone removes stdLogoff behind the dialog's back.
      .Do(L"select stdLogoff, gone from the registry",
          [this](HWND dialog) {
            SelectProfile(dialog, L"stdLogoff");
            DeleteTree(HKEY_LOCAL_MACHINE, ProfileKey(L"stdLogoff"));
          })
      .Click(IDC_DELETE_PROFILE)
      .Answer(IDYES)
      .Answer(IDOK)
      .Look([](const Controls& dialog) { EXPECT_EQ(ProfileEntries(dialog), std::vector<std::wstring>{L"stdLogoff"}); })
      .PressCancel();
  admin.Run(profiles);
  EXPECT_EQ(Texts(admin),
            (std::vector<std::wstring>{Box(L"Delete profile stdReboot?"), Box(L"Delete profile stdReboot?"),
                                       Box(L"Delete profile stdLogoff?"),
                                       Box(L"OnAdd: error opening registry key Profiles\\stdLogoff")}));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProfileKey(L"stdReboot") + L"\\Groups"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProfileKey(L"stdReboot")));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ProfilesKey()));
}

TEST_F(SharedProfilesTest, AsTheChooserOnlyClosingChoosesAndEnterEscOrADoubleClickTakeTheSelectedEntry) {
  Profile(L"stdLogoff");
  Profile(L"stdReboot");
  enum class Press { Esc, Enter, DoubleClick };
  struct Case {
    const wchar_t* select;  // nothing when empty
    Press press;
    const wchar_t* chosen;
  };
  for (const Case& c : {Case{L"stdReboot", Press::Esc, L"stdReboot"}, Case{L"stdLogoff", Press::Enter, L"stdLogoff"},
                        Case{L"", Press::Esc, L""}, Case{L"stdReboot", Press::DoubleClick, L"stdReboot"}}) {
    SCOPED_TRACE(Narrow(c.select) + " then press " + std::to_string(static_cast<int>(c.press)));
    CSharedProfilesDlg chooser(app.host(), Mode::Assign);
    ModalSession admin;
    admin
        .Look([](const Controls& dialog) {
          EXPECT_EQ(dialog.Label(IDCANCEL), L"Assign");
          EXPECT_FALSE(dialog.Enabled(IDOK)) << "Edit";
          EXPECT_FALSE(dialog.Enabled(IDC_ADD_PROFILE));
          EXPECT_FALSE(dialog.Enabled(IDC_DELETE_PROFILE));
          EXPECT_EQ(LOWORD(::SendMessageW(dialog.parent, DM_GETDEFID, 0, 0)), IDCANCEL) << "Assign is the default";
          EXPECT_TRUE(dialog.Focused(IDC_PROFILE_LIST));
        })
        .Do(L"select and press", [&c](HWND dialog) {
          HWND list = ::GetDlgItem(dialog, IDC_PROFILE_LIST);
          if (*c.select) SelectProfile(dialog, c.select);
          if (c.press == Press::DoubleClick) {
            RECT entry{};
            ::SendMessageW(list, LB_GETITEMRECT, ::SendMessageW(list, LB_GETCURSEL, 0, 0),
                           reinterpret_cast<LPARAM>(&entry));
            ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // the click selects it
            LPARAM at = MAKELPARAM(entry.left + 4, (entry.top + entry.bottom) / 2);
            for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
              ::PostMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
          } else {
            ::PostMessageW(list, WM_KEYDOWN, c.press == Press::Esc ? VK_ESCAPE : VK_RETURN, 0);
          }
        });
    EXPECT_EQ(admin.Run(chooser), IDCANCEL);
    EXPECT_EQ(chooser.profileName(), c.chosen);
    EXPECT_TRUE(admin.boxes().empty()) << Narrow(admin.Describe());
  }
}

}  // namespace
}  // namespace lullan::test
