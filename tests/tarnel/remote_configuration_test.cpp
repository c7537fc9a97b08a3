// "Configure": the workstation's configuration fetched into its local copy
// key, the shared-profile warning, the sheet on the copy (or on the
// profile), and the values the pages changed copied back to the workstation,
// Groups subkey included; and what happens when the workstation cannot be
// reached.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "../../config/resource.h"  // the pages' controls, beside the console's own
#include "../config/group_answers.h"
#include "console_fixture.h"
#include "key_copy.h"
#include "nested_sheet.h"
#include "responsiveness_probe.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using Values = std::map<std::wstring, std::wstring>;

// Every value of a key as regedit would show it: "dword 45", "sz C:\Logs".
Values ValuesOf(HKEY root, const std::wstring& path) {
  Values values;
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return values;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256] = {};
    DWORD nameLength = ARRAYSIZE(name);
    DWORD type = 0;
    std::vector<BYTE> data(65536);
    DWORD size = static_cast<DWORD>(data.size());
    if (::RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
      break;
    if (type == REG_DWORD && size == 4) {
      values[name] = FormatText(L"dword %lu", *reinterpret_cast<const DWORD*>(data.data()));
    } else if (type == REG_SZ) {
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
      values[name] = L"sz " + text.substr(0, text.find(L'\0'));
    } else {
      values[name] = FormatText(L"type %lu, %lu bytes", type, size);
    }
  }
  return values;
}

// The console's own messages, without the sheets and dialogs between them.
std::vector<std::wstring> Messages(const ConsoleSession& admin) {
  std::vector<std::wstring> texts;
  for (const SeenDialog& box : admin.boxes())
    if (box.caption == tarnel::kProgramTitle) texts.push_back(box.Text());
  return texts;
}

std::vector<std::wstring> FivePages() { return {L"General", L"Groups", L"Tuning", L"Notification", L"Profile"}; }

class ConfigureTest : public ConsoleTest {
 protected:
  ConfigureTest() {
    app.InitInstance();  // the domain controller, for the Groups page
    domain.AddGroups({L"Alpha", L"Beta", L"Delta", L"Gamma"});
  }

  std::wstring LocalCopy(const std::wstring& computer) const { return consoleKey + L"\\" + computer; }
  std::wstring Profile(const std::wstring& name) const { return consoleKey + L"\\Profiles\\" + name; }
  Values OnWorkstation(const std::wstring& computer, const std::wstring& subkey = L"") {
    return ValuesOf(Registry(computer), subkey.empty() ? kVersionKey : std::wstring(kVersionKey) + L"\\" + subkey);
  }
  Values InLocalCopy(const std::wstring& computer, const std::wstring& subkey = L"") const {
    return ValuesOf(HKEY_LOCAL_MACHINE, subkey.empty() ? LocalCopy(computer) : LocalCopy(computer) + L"\\" + subkey);
  }
  // A workstation as setup leaves it, with a configuration of its own.
  void Configured(const std::wstring& computer) {
    Workstation(computer, L"alice", 3);
    Store(computer, L"IdleMinutes", 45);
    Store(computer, L"LogDir", L"C:\\Logs");
    Store(computer, L"LogoffScript", L"C:\\bye.bat");
    Store(computer, L"Action", L"Logoff");
    Store(computer, L"mSales", 20, std::wstring(kVersionKey) + L"\\Groups");
  }
  ConsoleSession& Configure(ConsoleSession& admin, const std::wstring& computer) {
    return admin.Select({computer}).Click(IDC_CONFIGURE);
  }
};

TEST_F(ConfigureTest, TheSheetOpensOnAnExactCopyOfTheWorkstationAndCancelWritesNothingBack) {
  Configured(L"PC-1");
  // What an earlier fetch left that the workstation no longer has.
  WriteString(HKEY_LOCAL_MACHINE, LocalCopy(L"PC-1"), L"CustomMessage", L"Go home");
  WriteDword(HKEY_LOCAL_MACHINE, LocalCopy(L"PC-1") + L"\\Groups", L"mGone", 5);
  WriteDword(HKEY_LOCAL_MACHINE, LocalCopy(L"PC-1") + L"\\Retired", L"mGone", 5);
  const Values workstation = OnWorkstation(L"PC-1");

  NestedSheet sheet;
  sheet
      .Look([&](const Controls& general) {
        EXPECT_EQ(general.Text(IDC_GENERAL_IDLE_MINUTES), L"45");
        EXPECT_EQ(general.Text(IDC_GENERAL_LOG_DIR), L"C:\\Logs");
        EXPECT_EQ(InLocalCopy(L"PC-1"), workstation) << "the copy holds what the workstation holds, and nothing else";
        EXPECT_EQ(InLocalCopy(L"PC-1", L"Groups"), (Values{{L"mSales", L"dword 20"}}));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, LocalCopy(L"PC-1") + L"\\Retired"));
      })
      .Type(IDC_GENERAL_IDLE_MINUTES, L"50")
      .PressCancel();
  ConsoleSession admin;
  Configure(admin.WaitForScan(), L"PC-1").Answer(sheet.Drive()).Exit();
  RunConsole(admin);

  EXPECT_EQ(sheet.caption(), L"Configuration for PC-1");
  EXPECT_EQ(sheet.pages(), FivePages());
  EXPECT_EQ(StatusAfterScan(admin), (std::vector<std::wstring>{L"Retrieving configuration data for PC-1...",
                                                               L"Retrieved configuration for PC-1"}));
  EXPECT_EQ(admin.boxes().size(), 1u) << "the sheet alone: " << Narrow(admin.Describe());
  EXPECT_EQ(OnWorkstation(L"PC-1"), workstation);
  std::vector<std::wstring> connected = registry.requests;
  EXPECT_EQ(std::count(connected.begin(), connected.end(), L"\\\\PC-1"), 2) << "the scan's probe and the fetch";
}

TEST_F(ConfigureTest, AProfileIsWarnedOfAndEditProfileEditsTheProfileAloneWithNothingCopiedBack) {
  Configured(L"PC-1");
  Store(L"PC-1", L"Profile", L"stdLogoff");
  Store(L"PC-1", L"PLS", app.computerName());  // this server's profile
  WriteDword(HKEY_LOCAL_MACHINE, Profile(L"stdLogoff"), L"IdleMinutes", 10);
  const Values workstation = OnWorkstation(L"PC-1");

  NestedSheet machineSheet;
  machineSheet.PressCancel();
  NestedSheet profileSheet;
  profileSheet.Look([](const Controls& general) { EXPECT_EQ(general.Text(IDC_GENERAL_IDLE_MINUTES), L"10"); })
      .Type(IDC_GENERAL_IDLE_MINUTES, L"99")
      .PressOK();
  ConsoleSession admin;
  admin.WaitForScan();
  Configure(admin, L"PC-1").Answer(IDCANCEL);
  Configure(admin, L"PC-1").Answer(IDC_PROFILE_WARNING_CONTINUE).Answer(machineSheet.Drive());
  Configure(admin, L"PC-1").Answer(IDC_PROFILE_WARNING_EDIT_PROFILE).Answer(profileSheet.Drive());
  admin.Exit();
  RunConsole(admin);

  const std::wstring warning =
      L"Machine 'PC-1' is using shared profile 'stdLogoff'. The profile overrides PC-1's custom configuration. It is "
      L"recommended that you remove the shared profile from this machine if you change its settings, or else edit "
      L"profile 'stdLogoff' (the changes will then apply to all machines using this profile).";
  ASSERT_EQ(admin.boxes().size(), 5u) << Narrow(admin.Describe());
  for (size_t box : {0u, 1u, 3u}) {
    EXPECT_EQ(admin.boxes()[box].caption, L"Warning: shared profile assigned");
    EXPECT_EQ(admin.boxes()[box].Text(), warning);
  }
  EXPECT_EQ(machineSheet.caption(), L"Configuration for PC-1");
  EXPECT_EQ(profileSheet.caption(), L"Edit profile stdLogoff");
  EXPECT_EQ(profileSheet.pages(), FivePages());
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, Profile(L"stdLogoff"), L"IdleMinutes"), 99u);
  EXPECT_EQ(OnWorkstation(L"PC-1"), workstation) << "the workstation's copy was not edited: nothing goes back";
  EXPECT_EQ(InLocalCopy(L"PC-1"), workstation);
  std::vector<std::wstring> status = StatusAfterScan(admin);
  EXPECT_EQ(status.at(2), L"Ready") << "Cancel on the warning";
  EXPECT_EQ(status.back(), L"Retrieved configuration for PC-1") << "no update was made";
}

// "Edit Profile" opens one of this server's profiles, spelt as this server
// spells it, and nothing else a workstation's "Profile" and "PLS" may say:
// not a key below a profile, not a profile this server lacks (which it would
// create), not another server's profile.
TEST_F(ConfigureTest, EditProfileOpensOnlyAProfileOfThisServerAndNeverMakesOne) {
  WriteDword(HKEY_LOCAL_MACHINE, Profile(L"stdLogoff"), L"IdleMinutes", 10);
  WriteDword(HKEY_LOCAL_MACHINE, Profile(L"stdLogoff") + L"\\Groups", L"mSales", 20);
  const std::wstring self = app.computerName();
  const std::wstring cant = L"Can't edit profile \"%s\" of %s: ";
  struct Case {
    const wchar_t* pc;
    std::wstring profile;
    std::wstring server;
    std::wstring refusal;  // empty: the profile's sheet opens
  } cases[] = {
      {L"PC-1", L"stdLogoff\\Groups", self, L"a profile name holds no backslash."},
      {L"PC-2", L"..\\..\\Tarnel", self, L"a profile name holds no backslash."},
      {L"PC-3", L"noSuchProfile", self, L"this server has no profile of that name."},
      {L"PC-4", L"stdLogoff", L"OTHER-SERVER", L"its profile server is OTHER-SERVER, not this one (" + self + L")."},
      {L"PC-5", L"stdLogoff", L"", L"it names no profile server."},
      {L"PC-6", L"STDLOGOFF", L"\\\\" + self, L""},
  };
  ConsoleSession admin;
  admin.WaitForScan();
  NestedSheet sheet;
  sheet.Look([](const Controls& general) { EXPECT_EQ(general.Text(IDC_GENERAL_IDLE_MINUTES), L"10"); }).PressCancel();
  std::vector<std::wstring> refusals;
  for (const Case& c : cases) {
    Configured(c.pc);
    Store(c.pc, L"Profile", c.profile);
    Store(c.pc, L"PLS", c.server);
    Configure(admin, c.pc).Answer(IDC_PROFILE_WARNING_EDIT_PROFILE);
    if (c.refusal.empty()) {
      admin.Answer(sheet.Drive());
    } else {
      admin.Answer(IDOK);
      refusals.push_back(FormatText(cant.c_str(), c.profile.c_str(), c.pc) + c.refusal);
    }
  }
  admin.Exit();
  RunConsole(admin);

  EXPECT_EQ(Messages(admin), refusals);
  EXPECT_EQ(sheet.caption(), L"Edit profile stdLogoff") << "this server's own spelling";
  std::vector<std::wstring> profiles;
  unique_hkey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (consoleKey + L"\\Profiles").c_str(), 0, KEY_READ, key.put()),
            ERROR_SUCCESS);
  ASSERT_EQ(tarnel::SubkeyNames(key.get(), profiles), ERROR_SUCCESS);
  EXPECT_EQ(profiles, std::vector<std::wstring>{L"stdLogoff"}) << "no profile was made";
  EXPECT_EQ(ValuesOf(HKEY_LOCAL_MACHINE, Profile(L"stdLogoff") + L"\\Groups"), (Values{{L"mSales", L"dword 20"}}))
      << "nothing was written below the profile";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, consoleKey + L"\\Profiles\\stdLogoff\\Groups\\Groups"));
}

TEST_F(ConfigureTest, OnlyTheIdleMinutesChangedReachTheWorkstation) {
  Configured(L"PC-1");
  Values expected = OnWorkstation(L"PC-1");
  expected[L"IdleMinutes"] = L"dword 50";
  // Changed at the workstation while the sheet is open: the copy-back, which
  // writes only what the sheet changed, must not put the old text back.
  expected[L"Action"] = L"sz Reboot";

  NestedSheet sheet;
  sheet.Type(IDC_GENERAL_IDLE_MINUTES, L"50")
      .Do(L"someone edits the workstation", [&](HWND) { Store(L"PC-1", L"Action", L"Reboot"); })
      .PressOK();
  ConsoleSession admin;
  Configure(admin.WaitForScan(), L"PC-1").Answer(sheet.Drive()).Exit();
  RunConsole(admin);

  EXPECT_EQ(OnWorkstation(L"PC-1"), expected);
  EXPECT_EQ(StatusAfterScan(admin).back(), L"Updated configuration for PC-1...");
}

TEST_F(ConfigureTest, GroupsAddedChangedAndRemovedInTheSheetReachTheWorkstation) {
  Configured(L"PC-1");
  Store(L"PC-1", L"mAlpha", 10, std::wstring(kVersionKey) + L"\\Groups");
  Store(L"PC-1", L"dGamma", 0x000C0000, std::wstring(kVersionKey) + L"\\Groups");
  const Values values = OnWorkstation(L"PC-1");

  NestedSheet sheet;
  sheet.OnPage(L"Groups")
      .Do(L"select Alpha", SelectRows(IDC_GROUPS_MONITORED_LIST, {L"Alpha"}))
      .Click(IDC_GROUPS_DELETE)
      .Do(L"select Sales", SelectRows(IDC_GROUPS_MONITORED_LIST, {L"Sales"}))
      .Click(IDC_GROUPS_EDIT)
      .Do(L"select Delta", SelectRows(IDC_GROUPS_GLOBAL_LIST, {L"Delta"}))
      .Click(IDC_GROUPS_ADD)
      .PressOK();
  ConsoleSession admin;
  Configure(admin.WaitForScan(), L"PC-1")
      .Answer(sheet.Drive())
      .Answer(GroupMinutes(L"45"))
      .Answer(GroupMinutes(L"15"))
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(OnWorkstation(L"PC-1", L"Groups"),
            (Values{{L"dGamma", L"dword 786432"}, {L"mDelta", L"dword 15"}, {L"mSales", L"dword 45"}}))
      << Narrow(admin.Describe());
  Values expected = values;  // with the page's policies, which it stores as it shows them
  expected.insert(
      {{L"MultiGroupDltPol", L"dword 0"}, {L"MultiGroupMaxPol", L"dword 1"}, {L"MultiGroupValPol", L"dword 0"}});
  EXPECT_EQ(OnWorkstation(L"PC-1"), expected) << "every other value as it was";
  EXPECT_EQ(StatusAfterScan(admin).back(), L"Updated configuration for PC-1...");
}

TEST_F(ConfigureTest, AValueTheWorkstationNoLongerHasIsNotBroughtBack) {
  Configured(L"PC-1");
  Store(L"PC-1", L"mAlpha", 10, std::wstring(kVersionKey) + L"\\Groups");
  NestedSheet first;
  first.PressCancel();
  NestedSheet second;
  second
      .Look([](const Controls& general) {
        EXPECT_EQ(general.Text(IDC_GENERAL_LOG_DIR), L"") << "the page shows what the workstation has";
      })
      .Type(IDC_GENERAL_IDLE_MINUTES, L"31")
      .OnPage(L"Groups")
      .Do(L"select Sales", SelectRows(IDC_GROUPS_MONITORED_LIST, {L"Sales"}))
      .Click(IDC_GROUPS_DELETE)
      .PressOK();
  ConsoleSession admin;
  Configure(admin.WaitForScan(), L"PC-1").Answer(first.Drive());
  admin.Do(L"someone removes LogDir and the Alpha group on PC-1", [this](HWND) {
    unique_hkey version;
    ASSERT_EQ(::RegOpenKeyExW(Registry(L"PC-1"), kVersionKey, 0, KEY_SET_VALUE, version.put()), ERROR_SUCCESS);
    ::RegDeleteValueW(version.get(), L"LogDir");
    unique_hkey groups;
    ASSERT_EQ(::RegOpenKeyExW(version.get(), L"Groups", 0, KEY_SET_VALUE, groups.put()), ERROR_SUCCESS);
    ::RegDeleteValueW(groups.get(), L"mAlpha");
  });
  Configure(admin, L"PC-1").Answer(second.Drive()).Exit();
  RunConsole(admin);

  Values workstation = OnWorkstation(L"PC-1");
  EXPECT_EQ(workstation[L"LogDir"], L"sz ") << "the page's empty text, not the directory the copy once held";
  EXPECT_EQ(workstation[L"IdleMinutes"], L"dword 31");
  EXPECT_EQ(OnWorkstation(L"PC-1", L"Groups"), Values{}) << "Alpha stays gone, Sales was deleted";
}

TEST_F(ConfigureTest, ALongExcludeFilesIsFetchedWholeWithTheValuesAfterItAndGoesBackWhole) {
  Workstation(L"PC-1");
  const std::wstring longList(2000, L'x');
  Store(L"PC-1", L"ExcludeFiles", longList);  // before the others, as the enumeration meets it
  Store(L"PC-1", L"IdleMinutes", 45);
  Store(L"PC-1", L"CustomMessage", L"Bye");
  std::wstring newList(1999, L'y');
  newList += L"z";

  NestedSheet sheet;
  sheet
      .Do(L"look at the copy",
          [&](HWND) {
            Values copy = InLocalCopy(L"PC-1");
            EXPECT_EQ(copy[L"ExcludeFiles"], L"sz " + longList);
            EXPECT_EQ(copy[L"IdleMinutes"], L"dword 45");
            EXPECT_EQ(copy[L"CustomMessage"], L"sz Bye");
          })
      .OnPage(L"Tuning")
      .Look([&](const Controls& tuning) { EXPECT_EQ(tuning.Text(IDC_TUNING_EXCLUDE_FILES), longList); })
      .Type(IDC_TUNING_EXCLUDE_FILES, newList)
      .PressOK();
  ConsoleSession admin;
  Configure(admin.WaitForScan(), L"PC-1").Answer(sheet.Drive()).Exit();
  RunConsole(admin);
  EXPECT_EQ(OnWorkstation(L"PC-1")[L"ExcludeFiles"], L"sz " + newList);
}

TEST_F(ConfigureTest, AProfileSetOnTheProfilePageShowsInTheRowAndStartsTheMonitorNextTime) {
  Configured(L"PC-1");
  services.On(L"PC-1").Service(L"Lullan", SERVICE_STOPPED).Service(L"LConfigMon", SERVICE_STOPPED);
  NestedSheet sheet;
  sheet.OnPage(L"Profile").Type(IDC_PROFILE_NAME, L"stdLogoff").Type(IDC_PROFILE_SERVER, L"SERVER").PressOK();
  ConsoleSession admin;
  Configure(admin.WaitForScan(), L"PC-1").Answer(sheet.Drive());
  admin.Look([](const Controls& panel) { EXPECT_EQ(Column(panel, tarnel::kProfileColumn)[0], L"stdLogoff"); })
      .Click(IDC_START_STOP)
      .Answer(IDYES)
      .Answer(IDOK)
      .Exit();
  RunConsole(admin);
  Values workstation = OnWorkstation(L"PC-1");
  EXPECT_EQ(workstation[L"Profile"], L"sz stdLogoff");
  EXPECT_EQ(workstation[L"PLS"], L"sz SERVER");
  EXPECT_EQ(services.State(L"PC-1", L"LConfigMon"), static_cast<DWORD>(SERVICE_RUNNING))
      << "the record knows the new profile";
}

TEST_F(ConfigureTest, AWorkstationOutOfReachIsToldWhileTheDialogStaysResponsiveAndNothingOpens) {
  for (const wchar_t* pc : {L"PC-GONE", L"PC-DENIED", L"PC-LOST", L"PC-SHUT"}) Configured(pc);
  Listed(L"PC-BARE");
  Registry(L"PC-BARE");  // reachable, without the product
  const Values lost = OnWorkstation(L"PC-LOST");
  const Values shut = OnWorkstation(L"PC-SHUT");
  ResponsivenessProbe probe;
  // Each workstation fails between the fetch and the copy-back.
  NestedSheet sheet;
  sheet.Type(IDC_GENERAL_IDLE_MINUTES, L"50")
      .Do(L"PC-LOST drops off the network", [this](HWND) { registry.FailMachine(L"PC-LOST", ERROR_BAD_NETPATH); })
      .PressOK();
  NestedSheet refused;
  refused.Type(IDC_GENERAL_IDLE_MINUTES, L"50")
      .Do(L"PC-SHUT refuses the console now", [this](HWND) { registry.FailMachine(L"PC-SHUT", ERROR_ACCESS_DENIED); })
      .PressOK();
  ConsoleSession admin;
  admin.WaitForScan().Do(L"break PC-GONE and PC-DENIED", [this, &probe](HWND panel) {
    registry.FailMachine(L"PC-GONE", ERROR_BAD_NETPATH);
    registry.FailMachine(L"PC-DENIED", ERROR_ACCESS_DENIED);
    registry.DelayEachCall(1000);
    probe.Watch(panel);
  });
  for (const wchar_t* pc : {L"PC-GONE", L"PC-DENIED", L"PC-BARE"}) Configure(admin, pc).Answer(IDOK);
  Configure(admin, L"PC-LOST").Answer(sheet.Drive()).Answer(IDOK);
  Configure(admin, L"PC-SHUT").Answer(refused.Drive()).Answer(IDOK);
  admin.Do(L"stop watching", [&probe](HWND) { probe.Stop(); }).Exit();
  RunConsole(admin);

  EXPECT_EQ(Messages(admin),
            (std::vector<std::wstring>{
                Because(L"Can't connect to PC-GONE's registry", ERROR_BAD_NETPATH),
                Because(L"Can't connect to PC-DENIED's registry", ERROR_ACCESS_DENIED),
                Because(L"Can't open registry key SOFTWARE\\Fennick\\Lullan on PC-BARE", ERROR_FILE_NOT_FOUND),
                Because(L"Can't connect to PC-LOST's registry", ERROR_BAD_NETPATH),
                Because(L"Can't connect to PC-SHUT's registry", ERROR_ACCESS_DENIED),
            }));
  EXPECT_EQ(sheet.caption(), L"Configuration for PC-LOST");
  EXPECT_EQ(OnWorkstation(L"PC-LOST"), lost);
  EXPECT_EQ(OnWorkstation(L"PC-SHUT"), shut);
  EXPECT_EQ(InLocalCopy(L"PC-LOST")[L"IdleMinutes"], L"dword 50") << "the edit stays in the copy";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, LocalCopy(L"PC-GONE")));
  EXPECT_EQ(StatusAfterScan(admin).back(), L"Retrieved configuration for PC-SHUT") << "no update is claimed";
  EXPECT_GT(probe.answers(), 100) << "the dialog answered all along";
  EXPECT_LT(probe.slowestMs(), 500u) << "and never waited for a workstation";
}

// A workstation fills the console's registry only as far as a configuration
// could: a key of 10,000 values or subkeys and a value of 1 MiB are copied,
// one more is refused before the sheet opens, and nothing is kept of it, not
// even an earlier copy or the keys copied before the one refused.
TEST_F(ConfigureTest, AWorkstationBeyondTheFetchLimitsIsRefusedAndNothingOfItIsKept) {
  const std::wstring groups = std::wstring(kVersionKey) + L"\\Groups";
  auto values = [this](const std::wstring& pc, const std::wstring& key, DWORD count) {
    unique_hkey target;
    ASSERT_EQ(
        ::RegCreateKeyExW(Registry(pc), key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, target.put(), nullptr),
        ERROR_SUCCESS);
    for (DWORD i = 0; i < count; ++i) {
      const DWORD minutes = 5;
      ::RegSetValueExW(target.get(), FormatText(L"mGroup %lu", i).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&minutes), sizeof minutes);
    }
  };
  auto blob = [this](const std::wstring& pc, DWORD size) {
    std::vector<BYTE> data(size, 0x5A);
    WriteRaw(Registry(pc), kVersionKey, L"Blob", REG_BINARY, data.data(), size);
  };
  auto subkeys = [this](const std::wstring& pc, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
      unique_hkey created;
      ::RegCreateKeyExW(Registry(pc), FormatText(L"%s\\Key %lu", kVersionKey, i).c_str(), 0, nullptr, 0, KEY_READ,
                        nullptr, created.put(), nullptr);
    }
  };
  struct Case {
    const wchar_t* pc;
    std::function<void(const std::wstring&)> fill;
    std::wstring refusedKey;  // empty: fetched
  } cases[] = {
      {L"PC-MIB", [&](const std::wstring& pc) { blob(pc, 1 << 20); }, L""},
      {L"PC-BLOB", [&](const std::wstring& pc) { blob(pc, (1 << 20) + 1); }, kVersionKey},
      // With the Sales group every configured workstation has.
      {L"PC-FULL", [&](const std::wstring& pc) { values(pc, groups, 9999); }, L""},
      {L"PC-GROUPS", [&](const std::wstring& pc) { values(pc, groups, 10000); }, groups},
      {L"PC-KEYS", [&](const std::wstring& pc) { subkeys(pc, 10001); }, kVersionKey},
  };
  ConsoleSession admin;
  admin.WaitForScan();
  std::vector<std::unique_ptr<NestedSheet>> sheets;
  std::vector<std::wstring> refusals;
  for (const Case& c : cases) {
    Configured(c.pc);
    c.fill(c.pc);
    WriteDword(HKEY_LOCAL_MACHINE, LocalCopy(c.pc), L"IdleMinutes", 30);  // an earlier fetch
    if (c.refusedKey.empty()) {
      sheets.push_back(std::make_unique<NestedSheet>());
      Configure(admin, c.pc).Answer(sheets.back()->PressCancel().Drive());
    } else {
      Configure(admin, c.pc).Answer(IDOK);
      refusals.push_back(L"Can't configure " + std::wstring(c.pc) + L": its registry key " + c.refusedKey +
                         L" holds more than the console copies (at most 10,000 values or subkeys in a key, and 1 MiB "
                         L"in a value). Nothing of it was kept.");
    }
  }
  admin.Exit();
  RunConsole(admin);

  EXPECT_EQ(Messages(admin), refusals);
  for (const auto& sheet : sheets) EXPECT_TRUE(sheet->shown());
  for (const Case& c : cases) {
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, LocalCopy(c.pc)), c.refusedKey.empty()) << Narrow(c.pc);
  }
  EXPECT_EQ(QueryValueInfo(HKEY_LOCAL_MACHINE, LocalCopy(L"PC-MIB"), L"Blob")->size, DWORD{1 << 20});
  EXPECT_EQ(CountValues(HKEY_LOCAL_MACHINE, LocalCopy(L"PC-FULL") + L"\\Groups"), 10000u);
}

TEST_F(ConfigureTest, ANameThatCannotNameALocalCopyIsRefusedAndTheProfilesStayWhole) {
  Configured(L"PROFILES");
  Listed(L"");
  WriteDword(HKEY_LOCAL_MACHINE, Profile(L"stdLogoff"), L"IdleMinutes", 10);
  ConsoleSession admin;
  admin.WaitForScan();
  for (const wchar_t* pc : {L"PROFILES", L""}) Configure(admin, pc).Answer(IDOK);
  admin.Exit();
  RunConsole(admin);
  EXPECT_EQ(Messages(admin),
            (std::vector<std::wstring>{L"Can't configure \"PROFILES\": no local copy can be kept under that name.",
                                       L"Can't configure \"\": no local copy can be kept under that name."}));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, Profile(L"stdLogoff"), L"IdleMinutes"), 10u);
  EXPECT_EQ(ValuesOf(HKEY_LOCAL_MACHINE, consoleKey + L"\\Profiles"), Values{});
}

}  // namespace
}  // namespace lullan::test
