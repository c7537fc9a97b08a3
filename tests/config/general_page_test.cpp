// The General page in a real configuration sheet: what it shows of a stored
// configuration, the idle minutes check, the boxes that exclude each other,
// "Set", and what OK writes and marks in setup and in the console.
#include "general_page.h"

#include <gtest/gtest.h>

#include <variant>

#include "config_fixture.h"
#include "daily_time_answer.h"
#include "fake_platform.h"
#include "registry_fixture.h"
#include "resource.h"
#include "tuning_page.h"

namespace lullan::test {
namespace {

using config::CGeneralDlg;
using config::CTuneDlg;
using config::Target;

class GeneralPageTest : public ConfigTest {
 protected:
  // The page as the administrator reads it, in one line.
  static std::wstring Shown(const Controls& page) {
    static const std::pair<unsigned, const wchar_t*> boxes[] = {
        {IDC_GENERAL_FORCE_EXIT, L"force"},         {IDC_GENERAL_RUN_SCRIPT, L"script"},
        {IDC_GENERAL_USE_LOG_FILE, L"log"},         {IDC_GENERAL_IGNORE_NET, L"no-net"},
        {IDC_GENERAL_USE_MUTEX, L"mutex"},          {IDC_GENERAL_HIDE_TRAY_ICON, L"no-icon"},
        {IDC_GENERAL_ONLY_IF_LOCKED, L"locked"},    {IDC_GENERAL_ONLY_IF_SCREENSAVER, L"saver"},
        {IDC_GENERAL_ENABLE_DAILY_LOGOFF, L"daily"}};
    std::wstring shown = page.Text(IDC_GENERAL_IDLE_MINUTES) + L" min, ";
    shown += page.Checked(IDC_GENERAL_SHUTDOWN) ? L"Shutdown"
             : page.Checked(IDC_GENERAL_REBOOT) ? L"Reboot"
                                                : L"Logoff";
    for (const auto& [id, name] : boxes) shown += page.Checked(id) ? std::wstring(L" +") + name : L"";
    auto edit = [&](unsigned id) { return L" [" + page.Text(id) + (page.ReadOnly(id) ? L"]ro" : L"]"); };
    return shown + edit(IDC_GENERAL_LOGOFF_SCRIPT) + edit(IDC_GENERAL_LOG_DIR) + edit(IDC_GENERAL_DAILY_LOGOFF_TIME);
  }
  // Every value of `key` by name, numbers in decimal and texts quoted.
  std::wstring Values(const std::wstring& key) const {
    std::wstring values;
    for (const std::wstring& name : ValueNames(key)) {
      std::optional<DWORD> number = Number(key, name.c_str());
      values += (values.empty() ? L"" : L" ") + name + L"=" +
                (number ? std::to_wstring(*number) : L"'" + Text(key, name.c_str()).value_or(L"?") + L"'");
    }
    return values;
  }
  static constexpr wchar_t kDefaultsShown[] = L"30 min, Logoff +force [C:\\autologoff.bat]ro []ro []ro";
};

TEST_F(GeneralPageTest, ANewWorkstationShowsTheDefaultsAndSetupWritesEveryValue) {
  auto sheet = Sheet<CGeneralDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(Shown(page), kDefaultsShown); }).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Values(versionKey),
            L"Action='Logoff' EnableDailyLogoff=0 ForceExit=1 IdleMinutes=30 IgnoreNet=0 LogDir='' "
            L"LogoffScript='C:\\autologoff.bat' OnlyLogoffIfLocked=0 OnlyLogoffIfScreenSaver=0 RunScript=0 "
            L"UseLogFile=0 UseMutex=0 UseTray=1")
      << "setup writes all of them, and no profile stamp";
}

TEST_F(GeneralPageTest, StoredValuesAreShownByTheReadingRulesOfEachValue) {
  using Stored = std::vector<std::pair<const wchar_t*, std::variant<DWORD, std::wstring>>>;
  const std::pair<Stored, std::wstring> cases[] = {
      // A REG_DWORD zero turns programs' forced exit off and hides the icon.
      {{{L"IdleMinutes", 0u}, {L"ForceExit", 0u}, {L"UseTray", 0u}, {L"Action", L"shutdown"}, {L"LogoffScript", L""}},
       L"30 min, Shutdown +no-icon [C:\\autologoff.bat]ro []ro []ro"},
      {{{L"IdleMinutes", 10081u},
        {L"ForceExit", L"0"},
        {L"UseTray", L"0"},
        {L"Action", L"Halt"},
        {L"EnableDailyLogoff", 1u},
        {L"DailyLogoffTime", 0x000C0000u}},
       L"30 min, Logoff +force +daily [C:\\autologoff.bat]ro []ro [12:00 PM]ro"},
      {{{L"IdleMinutes", 10080u},
        {L"ForceExit", 7u},
        {L"Action", L"REBOOT"},
        {L"RunScript", 1u},
        {L"LogoffScript", L"D:\\bye.cmd"},
        {L"UseLogFile", 1u},
        {L"LogDir", L"C:\\Logs"},
        {L"DailyLogoffTime", 0x00110005u}},  // daily logoff is off: no time shown
       L"10080 min, Reboot +force +script +log [D:\\bye.cmd] [C:\\Logs] []ro"},
  };
  for (const auto& [stored, shown] : cases) {
    DeleteTree(HKEY_LOCAL_MACHINE, versionKey);
    for (const auto& [name, data] : stored) std::visit([&](const auto& d) { Store(versionKey, name, d); }, data);
    auto sheet = Sheet<CGeneralDlg>(setup, Target());
    SheetSession admin;
    admin.Look([&](const Controls& page) { EXPECT_EQ(Shown(page), shown); }).PressCancel();
    admin.Run(*sheet);
  }
}

TEST_F(GeneralPageTest, OutOfRangeIdleMinutesBringTheMessageAndThirtyAndOnlyChangedValuesAreWritten) {
  Store(MachineKey(), L"Action", L"Reboot");
  auto sheet = Sheet<CGeneralDlg, CTuneDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  auto idleShows = [](std::wstring minutes) {
    return [minutes](const Controls& page) { EXPECT_EQ(page.Text(IDC_GENERAL_IDLE_MINUTES), minutes); };
  };
  admin.Type(IDC_GENERAL_IDLE_MINUTES, L"10081").Answer(IDOK).Look(idleShows(L"30"));
  admin.Type(IDC_GENERAL_IDLE_MINUTES, L"10080").Look(idleShows(L"10080"));
  admin.Type(IDC_GENERAL_IDLE_MINUTES, L"").Answer(IDOK).Look(idleShows(L"30"));  // clearing it to type anew
  admin.Type(IDC_GENERAL_IDLE_MINUTES, L"45").OnPage(L"Tuning").PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 2u) << admin.Describe();
  for (const SeenDialog& box : admin.boxes()) {
    EXPECT_EQ(box.Text(), L"Invalid IdleMinutes value: must be between 1 and 10080");
  }
  // The script and log edits marked their own filling; Tuning marks all it writes.
  EXPECT_EQ(console.changes().dwordChangeMask, 0x2u | 0x40000u | 0x80000u | 0x100000u | 0x400000u);
  EXPECT_EQ(console.changes().stringChangeMask, 0x6u | 0x20u);
  EXPECT_EQ(Values(MachineKey()),
            L"Action='Reboot' ExcludeFiles='' ExplorerSensitivity=2 IdleMinutes=45 "
            L"IgnoreKernel=0 LogDir='' LogoffScript='C:\\autologoff.bat' MonitorMouse=0 "
            L"NetBytesSec=100");

  // Only "Use mutex": it and the three edits' values, nothing else.
  console.changes().Clear();
  auto mutexOnly = Sheet<CGeneralDlg>(console, Target::Machine(kMachine));
  SheetSession next;
  next.Click(IDC_GENERAL_USE_MUTEX).PressOK();
  EXPECT_EQ(next.Run(*mutexOnly), IDOK);
  EXPECT_EQ(console.changes().dwordChangeMask, 0x12u);
  EXPECT_EQ(Text(MachineKey(), L"Action"), L"Reboot");
  EXPECT_EQ(Number(MachineKey(), L"UseMutex"), 1u);
  EXPECT_EQ(ValueNames(MachineKey()).size(), 10u);
}

TEST_F(GeneralPageTest, EveryControlMarksItsValueAndTheScreensaverBoxClearsTheLockedOne) {
  Store(MachineKey(), L"OnlyLogoffIfLocked", DWORD{1});
  auto sheet = Sheet<CGeneralDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin.Click(IDC_GENERAL_SHUTDOWN)
      .Click(IDC_GENERAL_FORCE_EXIT)
      .Click(IDC_GENERAL_IGNORE_NET)
      .Click(IDC_GENERAL_HIDE_TRAY_ICON)
      .Click(IDC_GENERAL_RUN_SCRIPT)
      .Type(IDC_GENERAL_LOGOFF_SCRIPT, L"D:\\bye.cmd")
      .Click(IDC_GENERAL_USE_LOG_FILE)
      .Type(IDC_GENERAL_LOG_DIR, std::wstring(250, L'd'))  // cut at 199 as it is pasted
      .Click(IDC_GENERAL_ONLY_IF_SCREENSAVER)
      .Look([](const Controls& page) {
        EXPECT_EQ(Shown(page), L"30 min, Shutdown +script +log +no-net +no-icon +saver [D:\\bye.cmd] [" +
                                   std::wstring(199, L'd') + L"] []ro");
      })
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(console.changes().dwordChangeMask, 0x36Fu) << "all but UseMutex and EnableDailyLogoff";
  EXPECT_EQ(console.changes().stringChangeMask, 0x7u);
  EXPECT_EQ(Values(MachineKey()), L"Action='Shutdown' ForceExit=0 IdleMinutes=30 IgnoreNet=1 LogDir='" +
                                      std::wstring(199, L'd') +
                                      L"' LogoffScript='D:\\bye.cmd' OnlyLogoffIfLocked=0 OnlyLogoffIfScreenSaver=1 "
                                      L"RunScript=1 UseLogFile=1 UseTray=0");
}

TEST_F(GeneralPageTest, BothOnlyLogoffIfBoxesStoredOnAreShownAndStoredAsTheFirstAlone) {
  Store(MachineKey(), L"OnlyLogoffIfLocked", DWORD{1});
  Store(MachineKey(), L"OnlyLogoffIfScreenSaver", DWORD{1});
  auto sheet = Sheet<CGeneralDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin
      .Look([](const Controls& page) {
        EXPECT_EQ(Shown(page), L"30 min, Logoff +force +locked [C:\\autologoff.bat]ro []ro []ro");
      })
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(console.changes().dwordChangeMask, 0x302u) << "the pair goes back to the machine as shown";
  EXPECT_EQ(Number(MachineKey(), L"OnlyLogoffIfLocked"), 1u);
  EXPECT_EQ(Number(MachineKey(), L"OnlyLogoffIfScreenSaver"), 0u);
}

TEST_F(GeneralPageTest, SetAsksToEnableDailyLogoffAndTheTimeStaysStoredWhenTheSheetIsCancelled) {
  Store(MachineKey(), L"DailyLogoffTime", DWORD{0x00090000});
  auto sheet = Sheet<CGeneralDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin.Click(IDC_GENERAL_SET_DAILY_TIME).Answer(IDNO).Look([this](const Controls& page) {
    EXPECT_EQ(Shown(page), kDefaultsShown) << "No changes nothing";
    EXPECT_EQ(console.changes().dwordChangeMask & 0x80, 0u);
  });
  admin.Click(IDC_GENERAL_SET_DAILY_TIME).Answer(IDYES).Answer(SetDailyTime(L"05", L"30", kPM));
  admin.Look([this](const Controls& page) {
    EXPECT_TRUE(page.Checked(IDC_GENERAL_ENABLE_DAILY_LOGOFF));
    EXPECT_EQ(page.Text(IDC_GENERAL_DAILY_LOGOFF_TIME), L"05:30 PM");
    EXPECT_EQ(Number(MachineKey(), L"DailyLogoffTime"), 0x0011001Eu) << "stored at once";
  });
  // The time goes with the box, and comes back with it: the time the service would use.
  auto timeShows = [](std::wstring time) {
    return [time](const Controls& page) { EXPECT_EQ(page.Text(IDC_GENERAL_DAILY_LOGOFF_TIME), time); };
  };
  admin.Click(IDC_GENERAL_ENABLE_DAILY_LOGOFF).Look(timeShows(L"")).Click(IDC_GENERAL_ENABLE_DAILY_LOGOFF);
  admin.Click(IDC_GENERAL_SET_DAILY_TIME).Answer(IDCANCEL).Look(timeShows(L"05:30 PM"));  // on: no question
  admin.PressCancel();
  EXPECT_EQ(admin.Run(*sheet), IDCANCEL);

  // Message boxes by their text, dialogs by their caption.
  std::vector<std::wstring> seen;
  for (const SeenDialog& box : admin.boxes()) seen.push_back(box.caption == L"Config test" ? box.Text() : box.caption);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"Enable daily logoff?", L"Enable daily logoff?",
                                             L"Set Daily Logoff Time:", L"Set Daily Logoff Time:"}));
  EXPECT_EQ(Values(MachineKey()), L"DailyLogoffTime=1114142")
      << "Cancel writes nothing from the page, and keeps what the dialog stored";
}

TEST_F(GeneralPageTest, AProfilesPageAlwaysStampsTheProfileAndAMachinesNever) {
  FixedClock at1430(2026, 12, 7, 14, 30);
  ScopedPlatform clock;
  clock.Use(at1430);
  Store(ProfileKey(L"stdLogoff"), L"ProfileLastChanged", DWORD{0});
  Store(MachineKey(), L"ProfileLastChanged", DWORD{0});
  for (const Target& target : {Target::Profile(L"stdLogoff"), Target::Machine(kMachine)}) {
    auto sheet = Sheet<CGeneralDlg>(console, target);
    SheetSession admin;
    admin.PressOK();
    EXPECT_EQ(admin.Run(*sheet), IDOK);
  }
  EXPECT_EQ(Number(ProfileKey(L"stdLogoff"), L"ProfileLastChanged"), 0x000E001Eu) << "14:30, packed";
  EXPECT_EQ(Number(MachineKey(), L"ProfileLastChanged"), 0u);
}

TEST_F(GeneralPageTest, WithoutAMachineTheConsoleSaysSoOnOpeningAndOnOKAndWritesNothing) {
  auto sheet = Sheet<CGeneralDlg>(console, Target());
  SheetSession admin;
  admin.Answer(IDOK).Look([](const Controls& page) { EXPECT_EQ(Shown(page), kDefaultsShown); }).PressOK().Answer(IDOK);
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 2u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Error: missing local copy of registry name");
  EXPECT_EQ(admin.boxes()[1].Text(), L"Error: local copy of registry key missing");
  EXPECT_EQ(ValueNames(consoleKey), std::set<std::wstring>{});
}

}  // namespace
}  // namespace lullan::test
