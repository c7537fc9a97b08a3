// The configuration sheets as their openers show them: the pages and their
// order under each opener's caption, what OK writes when only the first page
// was seen, and whole sessions over all five pages: the Profile page holding
// the sheet open, Cancel keeping what was stored while it was open, and OK
// writing every page that was shown, each value named by the console's masks.
#include "configuration_sheet.h"

#include <gtest/gtest.h>

#include "config_fixture.h"
#include "daily_time_answer.h"
#include "fake_platform.h"
#include "group_answers.h"
#include "registry_fixture.h"
#include "resource.h"
#include "scripted_domain.h"

namespace lullan::test {
namespace {

using config::SheetPages;
using config::Target;

constexpr int kApplyButton = 0x3021;  // the property sheet's "Apply"
constexpr wchar_t kNoServer[] = L"No server specified. Can't assign a profile without a server.";

bool Visible(HWND sheet, int button) {
  HWND control = ::GetDlgItem(sheet, button);
  return control && ::IsWindowVisible(control);
}

class ConfigurationSheetTest : public ConfigTest {
 protected:
  ConfigurationSheetTest() {
    seams.Use(domain).Use(clock);
    domain.DomainController(L"DC01");
    domain.AddGroups({L"Sales", L"Staff"});
  }

  // Opens the sheet as its opener does and drives it with `admin`.
  INT_PTR Open(SheetSession& admin, config::ConfigHost& host, const Target& target, const std::wstring& caption,
               SheetPages pages) {
    return admin.Run([&caption] { return SheetSession::FindSheet(caption); },
                     [&] { return config::ShowConfigurationSheet(nullptr, host, target, caption, pages); });
  }

  // A key as the console fetches it from a machine or keeps a profile: a
  // value no page edits, and a monitored group.
  void Fetched(const std::wstring& key) {
    Store(key, L"PrevUser", L"FENNICK\\jdoe");
    Store(key + L"\\Groups", L"mStaff", 45);
  }

  ScriptedDomain domain;
  FixedClock clock{2026, 12, 7, 14, 30};
  ScopedPlatform seams;
};

TEST_F(ConfigurationSheetTest, EachOpenerShowsItsPagesInOrderAndOKAtOnceWritesOnlyTheGeneralPage) {
  const std::vector<std::wstring> machinePages{L"General", L"Groups", L"Tuning", L"Notification", L"Profile"};
  const std::vector<std::wstring> profilePages{L"General", L"Groups", L"Tuning", L"Notification"};
  // What the General page writes: setup all its values, the console the ones
  // its edits marked when they were filled, and a profile's stamp.
  const std::set<std::wstring> setupWrites{L"Action",       L"EnableDailyLogoff",  L"ForceExit",
                                           L"IdleMinutes",  L"IgnoreNet",          L"LogDir",
                                           L"LogoffScript", L"OnlyLogoffIfLocked", L"OnlyLogoffIfScreenSaver",
                                           L"RunScript",    L"UseLogFile",         L"UseMutex",
                                           L"UseTray"};
  const std::set<std::wstring> machineWrites{L"IdleMinutes", L"LogDir", L"LogoffScript", L"PrevUser"};
  std::set<std::wstring> profileWrites = machineWrites;
  profileWrites.insert(L"ProfileLastChanged");
  struct Case {
    config::ConfigHost& host;
    Target target;
    std::wstring caption;
    SheetPages pages;
    std::wstring key;
    std::vector<std::wstring> tabs;
    std::set<std::wstring> written;
  };
  const Case cases[] = {
      {setup, Target(), L"Lullan Configuration", SheetPages::Machine, versionKey, machinePages, setupWrites},
      {console, Target::Machine(kMachine), L"Configuration for PC-017", SheetPages::Machine, MachineKey(), machinePages,
       machineWrites},
      {console, Target::Profile(L"stdLogoff"), L"Edit profile stdLogoff", SheetPages::Machine, ProfileKey(L"stdLogoff"),
       machinePages, profileWrites},
      {console, Target::Profile(L"stdLogoff"), L"Configuration for profile stdLogoff", SheetPages::Profile,
       ProfileKey(L"stdLogoff"), profilePages, profileWrites},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    DeleteTree(HKEY_LOCAL_MACHINE, versionKey);
    if (!c.host.IsSetup()) Fetched(c.key);
    console.changes().Clear();
    const std::wstring groups = c.key + L"\\Groups";
    const std::set<std::wstring> monitored = ValueNames(groups);
    SheetSession admin;
    admin
        .Do(L"read the tabs",
            [&](HWND sheet) {
              EXPECT_EQ(PageCaptions(sheet), c.tabs);
              EXPECT_EQ(SheetSession::CurrentPage(sheet), L"General");
              EXPECT_TRUE(Visible(sheet, IDOK) && Visible(sheet, IDCANCEL));
              EXPECT_FALSE(Visible(sheet, IDHELP) || Visible(sheet, kApplyButton)) << "OK and Cancel only";
            })
        .PressOK();
    EXPECT_EQ(Open(admin, c.host, c.target, c.caption, c.pages), IDOK);
    EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
    EXPECT_EQ(ValueNames(c.key), c.written) << "pages never shown write nothing";
    EXPECT_EQ(ValueNames(groups), monitored);
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, groups), !c.host.IsSetup()) << "the Groups page made no subkey";
    if (!c.host.IsSetup()) {
      EXPECT_EQ(console.changes().dwordChangeMask, 0x2u);
      EXPECT_EQ(console.changes().stringChangeMask, 0x6u);
    }
  }
  EXPECT_EQ(Number(ProfileKey(L"stdLogoff"), L"ProfileLastChanged"), 0x000E001Eu) << "stamped at 14:30";
}

TEST_F(ConfigurationSheetTest, AProfileWithoutAServerHoldsTheSheetAndCancelKeepsOnlyWhatTheDialogsStored) {
  Fetched(MachineKey());
  SheetSession admin;
  admin.Click(IDC_GENERAL_SET_DAILY_TIME).Answer(IDYES).Answer(SetDailyTime(L"05", L"30", kPM));
  admin.Click(IDC_GENERAL_USE_MUTEX).Type(IDC_GENERAL_IDLE_MINUTES, L"45");
  admin.OnPage(L"Groups")
      .Do(L"select Sales", SelectRows(IDC_GROUPS_GLOBAL_LIST, {L"Sales"}))
      .Click(IDC_GROUPS_ADD)
      .Answer(GroupMinutes(L"20"))
      .Click(IDC_GROUPS_MAX_BIGGEST);
  admin.OnPage(L"Tuning").Click(IDC_TUNING_IGNORE_KERNEL);
  admin.OnPage(L"Notification").Click(IDC_NOTIFY_USE_COUNTDOWN);
  admin.OnPage(L"Profile").Type(IDC_PROFILE_NAME, L"Finance").PressOK().Answer(IDOK);
  admin.Do(L"the sheet stays on the Profile page, and no page has written", [this](HWND sheet) {
    EXPECT_EQ(SheetSession::CurrentPage(sheet), L"Profile");
    EXPECT_EQ(ValueNames(MachineKey()), (std::set<std::wstring>{L"DailyLogoffTime", L"PrevUser"}));
  });
  admin.PressCancel();
  EXPECT_EQ(Open(admin, console, Target::Machine(kMachine), L"Configuration for PC-017", SheetPages::Machine),
            IDCANCEL);

  std::vector<std::wstring> seen;
  for (const SeenDialog& box : admin.boxes()) seen.push_back(box.caption == L"Config test" ? box.Text() : box.caption);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"Enable daily logoff?", L"Set Daily Logoff Time:",
                                             L"Set group's idle time properties", kNoServer}));
  // The daily logoff time and the group were stored when their dialogs closed.
  EXPECT_EQ(ValueNames(MachineKey()), (std::set<std::wstring>{L"DailyLogoffTime", L"PrevUser"}));
  EXPECT_EQ(Number(MachineKey(), L"DailyLogoffTime"), 0x0011001Eu);
  EXPECT_EQ(ValueNames(MachineKey() + L"\\Groups"), (std::set<std::wstring>{L"mSales", L"mStaff"}));
}

TEST_F(ConfigurationSheetTest, OKWritesEveryPageShownAndTheMasksNameEverythingWritten) {
  Fetched(MachineKey());
  SheetSession admin;
  admin.Click(IDC_GENERAL_REBOOT);
  admin.OnPage(L"Groups").Click(IDC_GROUPS_VAL_CLOCK_TIME);
  admin.OnPage(L"Tuning").Slide(IDC_TUNING_SENSITIVITY, 3);
  admin.OnPage(L"Notification").Type(IDC_NOTIFY_CUSTOM_MESSAGE, L"Saving your work is your job.");
  admin.OnPage(L"Profile").Type(IDC_PROFILE_NAME, L"Finance").Type(IDC_PROFILE_SERVER, L"PROFSRV").PressOK();
  EXPECT_EQ(Open(admin, console, Target::Machine(kMachine), L"Configuration for PC-017", SheetPages::Machine), IDOK);
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();

  EXPECT_EQ(Text(MachineKey(), L"Action"), L"Reboot");
  EXPECT_EQ(Number(MachineKey(), L"MultiGroupValPol"), 1u);
  EXPECT_EQ(Number(MachineKey(), L"ExplorerSensitivity"), 3u);
  EXPECT_EQ(Text(MachineKey(), L"CustomMessage"), L"Saving your work is your job.");
  EXPECT_EQ(Text(MachineKey(), L"Profile"), L"Finance");
  EXPECT_EQ(Text(MachineKey(), L"PLS"), L"PROFSRV");
  // The console carries back what the masks name: everything the pages wrote.
  std::set<std::wstring> unmarked;
  for (const std::wstring& name : ValueNames(MachineKey())) {
    const config::Setting* setting = config::FindSetting(name);
    if (!setting || !console.changes().IsMarked(setting->change)) unmarked.insert(name);
  }
  EXPECT_EQ(unmarked, std::set<std::wstring>{L"PrevUser"});
  EXPECT_EQ(ValueNames(MachineKey()).size(), 1u + 4 + 3 + 5 + 6 + 2) << "General's marked values and all the others";
}

}  // namespace
}  // namespace lullan::test
