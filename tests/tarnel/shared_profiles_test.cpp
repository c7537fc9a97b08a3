// The shared profiles of the profile server, as the administrator manages
// them in the "Shared profiles" dialog: the first profile of a new server,
// adding, deleting, and the dialog as the chooser of "Assign Profile".
// Editing a profile in its sheet is part of typical_change_test.cpp.
#include <gtest/gtest.h>

#include "new_profile_dlg.h"
#include "profile_server_fixture.h"
#include "resource.h"
#include "shared_profiles_dlg.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using tarnel::CSharedProfilesDlg;
using Strings = std::vector<std::wstring>;

class SharedProfilesTest : public ProfileServerTest {
 protected:
  static std::wstring NameDialog() { return L"Add new shared profile: &Enter name for a new shared profile:"; }
};

TEST_F(SharedProfilesTest, OnANewServerNoClosesTheDialogAndYesWithANameOpensItOnTheNewSecuredProfile) {
  for (int answer : {IDNO, IDYES}) {
    DeleteTree(HKEY_LOCAL_MACHINE, ProfilesKey());
    CSharedProfilesDlg profiles(app.host());
    ModalSession admin;
    admin.Answer(answer);
    if (answer == IDYES) {
      admin.Answer(NewProfileName(L"Finance"))
          .Look([](const Controls& dialog) { EXPECT_EQ(ProfileEntries(dialog), Strings{L"Finance"}); })
          .PressCancel();
    }
    EXPECT_EQ(admin.Run(profiles), answer == IDYES ? IDCANCEL : 0) << "No closes the dialog before it shows";
    EXPECT_EQ(admin.boxes().at(0).Text(), L"No profiles exist. Do you want to create one?");
  }
  // Everyone reads; Administrators, the local system and the creator may do anything.
  const Strings productAcl = {L"type 0 flags 0x0 mask 0x20019 S-1-1-0", L"type 0 flags 0x0 mask 0xf003f S-1-5-32-544",
                              L"type 0 flags 0x0 mask 0xf003f S-1-5-18", L"type 0 flags 0x0 mask 0xf003f S-1-3-0"};
  for (const std::wstring& key : {ProfilesKey(), ProfileKey(L"Finance"), ProfileKey(L"Finance") + L"\\Groups"}) {
    EXPECT_EQ(KeyAcl(key), productAcl) << Narrow(key);
    EXPECT_EQ(CountValues(HKEY_LOCAL_MACHINE, key), 0u) << "a new profile is empty";
  }
}

TEST_F(SharedProfilesTest, AddRefusesANameInUseOrWithABackslashAndDeleteRemovesTheProfileWithItsGroups) {
  Profile(L"stdLogoff");
  Profile(L"stdReboot");
  CSharedProfilesDlg profiles(app.host());
  ModalSession admin;
  admin.Click(IDOK)
      .Answer(IDOK)
      .Click(IDC_DELETE_PROFILE)
      .Answer(IDOK)
      .Click(IDC_ADD_PROFILE)
      .Answer(NewProfileName(L"STDLOGOFF"))
      .Answer(IDOK)
      .Click(IDC_ADD_PROFILE)
      .Answer(NewProfileName(L""))
      .Click(IDC_ADD_PROFILE)
      .Answer(NewProfileName(L"Finance"))
      .Do(L"select stdReboot", [](HWND dialog) { SelectProfile(dialog, L"stdReboot"); })
      .Click(IDC_DELETE_PROFILE)
      .Answer(IDNO)
      .Click(IDC_DELETE_PROFILE)
      .Answer(IDYES)
      .Look([](const Controls& dialog) {
        EXPECT_EQ(ProfileEntries(dialog), (Strings{L"Finance", L"stdLogoff"}));
      })
      .PressCancel();
  admin.Run(profiles);
  EXPECT_EQ(Texts(admin),
            (Strings{Box(L"Nothing is selected - don't know what to edit."),
                     Box(L"Nothing is selected - don't know what to delete."), NameDialog(),
                     Box(L"OnAdd: error creating registry key " + ProfilesKey()), NameDialog(), NameDialog(),
                     Box(L"Delete profile stdReboot?"), Box(L"Delete profile stdReboot?")}));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ProfileKey(L"Finance") + L"\\Groups"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProfileKey(L"stdReboot")));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, ProfileKey(L"stdLogoff") + L"\\Groups", L"Staff"), 1u);

  // A backslash would make one key inside another; the name dialog stays.
  tarnel::CNewProfileDlg ask;
  ModalSession naming;
  naming.Type(IDC_NEW_PROFILE_NAME, L"Lab\\Evening")
      .PressOK()
      .Answer(IDOK)
      .Look([](const Controls& dialog) { EXPECT_TRUE(dialog.Focused(IDC_NEW_PROFILE_NAME)); })
      .Type(IDC_NEW_PROFILE_NAME, L"Lab evening")
      .PressOK();
  EXPECT_EQ(naming.Run(ask), IDOK);
  EXPECT_EQ(Texts(naming), Strings{Box(L"A profile name cannot contain a backslash (\\).")});
  EXPECT_EQ(ask.name(), L"Lab evening");
}

TEST_F(SharedProfilesTest, AsTheChooserOnlyClosingChoosesAndEnterEscOrADoubleClickTakeTheSelectedEntry) {
  Profile(L"stdLogoff");
  Profile(L"stdReboot");
  enum Press { kEsc, kEnter, kDoubleClick };
  const std::tuple<const wchar_t*, Press, const wchar_t*> cases[] = {{L"stdReboot", kEsc, L"stdReboot"},
                                                                     {L"stdLogoff", kEnter, L"stdLogoff"},
                                                                     {L"", kEsc, L""},
                                                                     {L"stdReboot", kDoubleClick, L"stdReboot"}};
  for (const auto& [select, press, chosen] : cases) {
    SCOPED_TRACE(Narrow(select) + " and press " + std::to_string(press));
    CSharedProfilesDlg chooser(app.host(), CSharedProfilesDlg::Mode::Assign);
    ModalSession admin;
    admin
        .Look([](const Controls& dialog) {
          EXPECT_EQ(dialog.Label(IDCANCEL), L"Assign");
          EXPECT_FALSE(dialog.Enabled(IDOK) || dialog.Enabled(IDC_ADD_PROFILE) || dialog.Enabled(IDC_DELETE_PROFILE))
              << "Edit, Add and Delete are disabled";
          EXPECT_EQ(LOWORD(::SendMessageW(dialog.parent, DM_GETDEFID, 0, 0)), IDCANCEL) << "Assign is the default";
        })
        .Do(L"select and press", [&, select = select, press = press](HWND dialog) {
          HWND list = ::GetDlgItem(dialog, IDC_PROFILE_LIST);
          if (*select) SelectProfile(dialog, select);
          if (press != kDoubleClick) {
            ::PostMessageW(list, WM_KEYDOWN, press == kEsc ? VK_ESCAPE : VK_RETURN, 0);
            return;
          }
          RECT entry{};
          ::SendMessageW(list, LB_GETITEMRECT, ::SendMessageW(list, LB_GETCURSEL, 0, 0),
                         reinterpret_cast<LPARAM>(&entry));
          ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // the click selects it
          for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::PostMessageW(list, message, 0, MAKELPARAM(entry.left + 4, (entry.top + entry.bottom) / 2));
        });
    EXPECT_EQ(admin.Run(chooser), IDCANCEL);
    EXPECT_EQ(chooser.profileName(), chosen);
    EXPECT_TRUE(admin.boxes().empty()) << Narrow(admin.Describe());
  }
}

}  // namespace
}  // namespace lullan::test
