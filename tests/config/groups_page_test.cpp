// The Groups page and the group properties dialog in a real sheet, in setup
// and in the console, against a scripted domain: what the lists show, what
// Add, Edit and Delete write at once, what OK writes, and the domain
// controller lookup.
#include "groups_page.h"

#include <gtest/gtest.h>

#include <map>

#include "config_fixture.h"
#include "controls.h"
#include "daily_time_answer.h"
#include "fake_platform.h"
#include "group_answers.h"
#include "group_props_dlg.h"
#include "resource.h"
#include "scripted_domain.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using config::CGroupPropsDlg;
using config::CGroupsDlg;
using config::GroupKind;
using config::Target;

constexpr unsigned kGlobal = IDC_GROUPS_GLOBAL_LIST;
constexpr unsigned kMonitored = IDC_GROUPS_MONITORED_LIST;
constexpr int kMinutesIcon = 0;
constexpr int kClockIcon = 1;
constexpr wchar_t kPropsCaption[] = L"Set group's idle time properties";
constexpr wchar_t kDifferentValues[] =
    L"You are about to change multiple items with different values.  Are you sure you want to do this?";

// A row of the monitored list as the administrator sees it.
struct Row {
  std::wstring name;
  std::wstring idleValue;
  int icon;
  bool operator==(const Row&) const = default;
  friend void PrintTo(const Row& r, std::ostream* out) {
    *out << ::testing::PrintToString(r.name) << " " << ::testing::PrintToString(r.idleValue) << " icon " << r.icon;
  }
};
using Rows = std::vector<Row>;

Rows MonitoredRows(const Controls& page) {
  ui::CListView list(page.Item(kMonitored));
  Rows rows;
  for (int i = 0; i < list.ItemCount(); ++i) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = i;
    list.Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    rows.push_back(Row{list.GetItemText(i, 0, 1000), list.GetItemText(i, 1), item.iImage});
  }
  return rows;
}

std::vector<std::wstring> GlobalGroups(const Controls& page) {
  ui::CListView list(page.Item(kGlobal));
  std::vector<std::wstring> names;
  for (int i = 0; i < list.ItemCount(); ++i) names.push_back(list.GetItemText(i, 0));
  return names;
}

// The first click of a double click selects the row alone.
DialogSession::Step DoubleClick(unsigned listId, std::wstring name) {
  return [listId, name](HWND sheet) {
    SelectRows(listId, {name})(sheet);
    ui::CListView list(::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), static_cast<int>(listId)));
    RECT rect{LVIR_LABEL, 0, 0, 0};
    int row = list.FindItem(name);
    ASSERT_GE(row, 0) << "no row " << ::testing::PrintToString(name);
    list.Send(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    list.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rect.left + 2, rect.top + 2));
  };
}

// What the group properties dialog offered when it came up.
struct Offered {
  std::wstring names;
  GroupKind kind;
  std::wstring minutes;
};

void Press(HWND dialog, unsigned id) { DialogAnswerer::PressButton(dialog, static_cast<int>(id)); }

// Answers the daily logoff time dialog that "Set" opened, then confirms the
// group properties dialog, which takes the time first.
DialogAnswerer::Action DailyTimeThenOK(std::wstring hour, std::wstring minute, bool pm) {
  return [=](HWND daily) {
    SetDailyTime(hour, minute, pm)(daily);
    Press(::GetWindow(daily, GW_OWNER), IDOK);
  };
}

class GroupsPageTest : public ConfigTest {
 protected:
  GroupsPageTest() {
    seams.Use(domain);
    domain.DomainController(L"DC01");
  }

  static std::wstring GroupsOf(const std::wstring& key) { return key + L"\\Groups"; }
  // An installed machine, and a local copy fetched from one, has the subkey;
  // without it the page says it cannot open it, then creates it.
  static void MakeGroupsSubkey(const std::wstring& key) {
    unique_hkey groups;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, GroupsOf(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                groups.put(), nullptr),
              ERROR_SUCCESS);
  }

  // Every value of a Groups subkey with its data.
  std::map<std::wstring, DWORD> GroupValues(const std::wstring& key) const {
    std::map<std::wstring, DWORD> values;
    for (const std::wstring& name : ValueNames(GroupsOf(key)))
      values[name] = Number(GroupsOf(key), name.c_str()).value_or(~0u);
    return values;
  }

  // Answers the group properties dialog with `minutes`, noting what it offered.
  DialogAnswerer::Action Minutes(std::wstring minutes) {
    return [this, answer = GroupMinutes(std::move(minutes))](HWND props) {
      Remember(props);
      answer(props);
    };
  }
  // Answers it with "At specific time of day" and "Set"; DailyTimeThenOK answers the rest.
  DialogAnswerer::Action AtTimeOfDay() {
    return [this](HWND props) {
      Remember(props);
      ::CheckRadioButton(props, IDC_GROUPPROPS_AFTER_IDLE, IDC_GROUPPROPS_AT_TIME, IDC_GROUPPROPS_AT_TIME);
      Press(props, IDC_GROUPPROPS_AT_TIME);
      Press(props, IDC_GROUPPROPS_SET);
    };
  }
  void Remember(HWND props) {
    Controls dialog{props};
    offered.push_back(Offered{dialog.Text(IDC_GROUPPROPS_NAMES),
                              dialog.Checked(IDC_GROUPPROPS_AT_TIME) ? GroupKind::ClockTime : GroupKind::Minutes,
                              dialog.Text(IDC_GROUPPROPS_MINUTES)});
  }

  ScriptedDomain domain;
  ScopedPlatform seams;
  std::vector<Offered> offered;
};

TEST_F(GroupsPageTest, AddingGroupsWritesThemAtOnceSkipsThoseMonitoredAndRefusesZeroMinutes) {
  domain.AddGroups({L"Staff", L"Domain Users", L"Sales", L"Audit"});
  Store(GroupsOf(MachineKey()), L"mAudit", 45);
  auto sheet = Sheet<CGroupsDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin
      .Look([](const Controls& page) {
        EXPECT_EQ(page.Text(IDC_GROUPS_DOMAIN), L"Using domain controller \\\\DC01");
        EXPECT_EQ(GlobalGroups(page), (std::vector<std::wstring>{L"Audit", L"Domain Users", L"Sales", L"Staff"}));
        EXPECT_EQ(MonitoredRows(page), (Rows{{L"Audit", L"45", kMinutesIcon}}));
      })
      .Click(IDC_GROUPS_ADD)
      .Answer(IDOK)
      .Do(L"select Audit", SelectRows(kGlobal, {L"Audit"}))
      .Click(IDC_GROUPS_ADD)
      .Answer(IDOK)
      .Do(L"select Audit, Sales and Staff", SelectRows(kGlobal, {L"Audit", L"Sales", L"Staff"}))
      .Click(IDC_GROUPS_ADD)
      .Answer(Minutes(L"20"))
      .Look([](const Controls& page) {
        EXPECT_EQ(
            MonitoredRows(page),
            (Rows{{L"Audit", L"45", kMinutesIcon}, {L"Sales", L"20", kMinutesIcon}, {L"Staff", L"20", kMinutesIcon}}));
      })
      .Do(L"double-click Domain Users", DoubleClick(kGlobal, L"Domain Users"))
      .Answer(Minutes(L"0"))
      .Answer(IDOK)
      .PressCancel();
  EXPECT_EQ(admin.Run(*sheet), IDCANCEL);

  ASSERT_EQ(admin.boxes().size(), 5u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"No group(s) selected");
  EXPECT_EQ(admin.boxes()[1].Text(), L"Nothing to add!");
  EXPECT_EQ(admin.boxes()[2].caption, kPropsCaption);
  EXPECT_EQ(admin.boxes()[4].Text(), L"Can't get idle minute value");
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[0].names, L"Sales,Staff") << "the selection in list order, Audit skipped";
  EXPECT_EQ(offered[0].kind, GroupKind::Minutes) << "the kind of the last group read";
  EXPECT_EQ(offered[0].minutes, L"");
  EXPECT_EQ(offered[1].names, L"Domain Users");
  EXPECT_EQ(offered[1].minutes, L"20") << "the minutes last chosen";

  // Cancel undoes nothing the page wrote, and the policies wait for OK.
  EXPECT_EQ(GroupValues(MachineKey()),
            (std::map<std::wstring, DWORD>{{L"mAudit", 45}, {L"mSales", 20}, {L"mStaff", 20}}));
  EXPECT_EQ(ValueNames(MachineKey()), std::set<std::wstring>{});
  EXPECT_EQ(console.changes().dwordChangeMask, 0x400u);
}

TEST_F(GroupsPageTest, EditingAsksWhenTheMinutesDifferAndAKindChangeRemovesTheOldValue) {
  Store(GroupsOf(versionKey), L"mSales", 20);
  Store(GroupsOf(versionKey), L"mStaff", 30);
  Store(GroupsOf(versionKey), L"mAudit", 20);
  auto sheet = Sheet<CGroupsDlg>(setup, Target());
  SheetSession admin;
  admin.Do(L"select Sales and Staff", SelectRows(kMonitored, {L"Sales", L"Staff"}))
      .Click(IDC_GROUPS_EDIT)
      .Answer(IDNO)
      .Look([](const Controls& page) {
        EXPECT_EQ(
            MonitoredRows(page),
            (Rows{{L"Audit", L"20", kMinutesIcon}, {L"Sales", L"20", kMinutesIcon}, {L"Staff", L"30", kMinutesIcon}}));
      })
      .Click(IDC_GROUPS_EDIT)
      .Answer(IDYES)
      .Answer(Minutes(L"45"))
      .Do(L"double-click Audit", DoubleClick(kMonitored, L"Audit"))
      .Answer(AtTimeOfDay())
      .Answer(DailyTimeThenOK(L"06", L"00", kPM))
      .Look([](const Controls& page) {
        EXPECT_EQ(MonitoredRows(page), (Rows{{L"Audit", L"06:00 PM", kClockIcon},
                                             {L"Sales", L"45", kMinutesIcon},
                                             {L"Staff", L"45", kMinutesIcon}}));
      })
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);

  ASSERT_EQ(admin.boxes().size(), 5u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), kDifferentValues);
  EXPECT_EQ(admin.boxes()[1].Text(), kDifferentValues);
  EXPECT_EQ(admin.boxes()[4].caption, L"Set Daily Logoff Time:");
  ASSERT_EQ(offered.size(), 2u) << "answering No opened no dialog";
  EXPECT_EQ(offered[0].names, L"Sales,Staff");
  EXPECT_EQ(offered[0].minutes, L"") << "the groups disagree, so no minutes are offered";
  EXPECT_EQ(offered[1].names, L"Audit");
  EXPECT_EQ(offered[1].minutes, L"20");
  EXPECT_EQ(GroupValues(versionKey),
            (std::map<std::wstring, DWORD>{{L"dAudit", 0x00120000}, {L"mSales", 45}, {L"mStaff", 45}}));
  // setup's OK writes the three policies, here as nothing stored reads.
  EXPECT_EQ(Number(versionKey, L"MultiGroupMaxPol"), 1u);
  EXPECT_EQ(Number(versionKey, L"MultiGroupDltPol"), 0u);
  EXPECT_EQ(Number(versionKey, L"MultiGroupValPol"), 0u);
}

TEST_F(GroupsPageTest, DeletingThreeAdjacentRowsRemovesAllThreeAndTheirValues) {
  const std::wstring profile = ProfileKey(L"stdLogoff");
  Store(GroupsOf(profile), L"mAlpha", 10);
  Store(GroupsOf(profile), L"dBeta", 0x00120000);
  Store(GroupsOf(profile), L"mGamma", 30);
  Store(GroupsOf(profile), L"mOmega", 5);
  auto sheet = Sheet<CGroupsDlg>(console, Target::Profile(L"stdLogoff"));
  SheetSession admin;
  admin.Click(IDC_GROUPS_DELETE)
      .Answer(IDOK)
      .Do(L"select Alpha, Beta and Gamma", SelectRows(kMonitored, {L"Alpha", L"Beta", L"Gamma"}))
      .Click(IDC_GROUPS_DELETE)
      .Look([](const Controls& page) {
        EXPECT_EQ(MonitoredRows(page), (Rows{{L"Omega", L"5", kMinutesIcon}}));
      })
      .PressCancel();
  EXPECT_EQ(admin.Run(*sheet), IDCANCEL);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"No item(s) selected");
  EXPECT_EQ(GroupValues(profile), (std::map<std::wstring, DWORD>{{L"mOmega", 5}}));
  EXPECT_EQ(console.changes().dwordChangeMask, 0x400u) << "a deleted group is a change to carry back";
}

TEST_F(GroupsPageTest, ValuesWrittenByOthersAreListedAsTheyCome) {
  const std::wstring longName(300, L'L');               // longer than the 100 characters the page starts from
  Store(GroupsOf(versionKey), L"xLegacy", 0x000E0005);  // neither prefix: a clock time
  Store(GroupsOf(versionKey), (L"m" + longName).c_str(), 15);
  Store(GroupsOf(versionKey), L"m", 15);  // no group name
  const WORD twoBytes = 7;
  StoreRaw(GroupsOf(versionKey), L"mShort", REG_DWORD, &twoBytes, sizeof twoBytes);
  Store(versionKey, L"MultiGroupMaxPol", 7);  // out of range: the default
  auto sheet = Sheet<CGroupsDlg>(setup, Target());
  SheetSession admin;
  admin
      .Look([&](const Controls& page) {
        EXPECT_EQ(MonitoredRows(page), (Rows{{L"Legacy", L"02:05 PM", kClockIcon},
                                             {longName, L"15", kMinutesIcon},
                                             {L"Short", L"0", kMinutesIcon}}));
        EXPECT_TRUE(page.Checked(IDC_GROUPS_MAX_SMALLEST));
      })
      .Do(L"select Short", SelectRows(kMonitored, {L"Short"}))
      .Click(IDC_GROUPS_EDIT)
      .Answer(IDOK)
      .Answer(Minutes(L"25"))
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 2u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Yikes: idle minute value out of range.");
  EXPECT_EQ(Number(GroupsOf(versionKey), L"mShort"), 25u) << "an Edit puts a broken value right";
  EXPECT_EQ(Number(GroupsOf(versionKey), (L"m" + longName).c_str()), 15u);
}

TEST_F(GroupsPageTest, FiveHundredGroupsAreListedPageByPageAndAddedInOneGo) {
  for (int i = 1; i <= 500; ++i) domain.AddGroup(FormatText(L"Group %03d", i));
  MakeGroupsSubkey(MachineKey());
  auto sheet = Sheet<CGroupsDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(GlobalGroups(page).size(), 500u); })
      .Do(L"select every group", SelectRows(kGlobal, {L"*"}))
      .Click(IDC_GROUPS_ADD)
      .Answer(Minutes(L"15"))
      .Look([](const Controls& page) {
        Rows rows = MonitoredRows(page);
        ASSERT_EQ(rows.size(), 500u);
        EXPECT_EQ(rows.front(), (Row{L"Group 001", L"15", kMinutesIcon}));
        EXPECT_EQ(rows.back(), (Row{L"Group 500", L"15", kMinutesIcon}));
      })
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);

  // Level 3 from index 0, then on from each page's last entry until the
  // domain stops answering ERROR_MORE_DATA.
  const auto& calls = domain.displayQueries;
  ASSERT_GT(calls.size(), 5u);
  EXPECT_EQ(calls.front().server, L"\\\\DC01");
  EXPECT_EQ(calls.front().index, 0u);
  DWORD listed = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].level, 3u);
    const DWORD expected = i + 1 < calls.size() ? ERROR_MORE_DATA : NERR_Success;
    EXPECT_EQ(calls[i].status, expected) << "call " << i;
    listed += calls[i].returned;
  }
  EXPECT_EQ(listed, 500u);
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].names.size(), 500u * 9 + 499) << "every name, comma-separated";
  auto values = GroupValues(MachineKey());
  EXPECT_EQ(values.size(), 500u);
  EXPECT_EQ(values[L"mGroup 250"], 15u);
}

TEST_F(GroupsPageTest, SetupLooksForADomainControllerEachTimeAndSaysWhyThereIsNone) {
  struct Case {
    NET_API_STATUS error;
    std::wstring box;  // empty: none
    std::wstring shown;
  };
  const Case cases[] = {
      {NERR_DCNotFound, L"Domain controller not found", L"No domain controller found"},
      {ERROR_NO_SUCH_DOMAIN, L"Error 1355 trying to get domain controller.\r\nIs the network functioning?",
       L"No domain controller found"},
      {NERR_Success, L"", L"Using domain controller \\\\DC02"},
  };
  domain.AddGroups({L"Sales", L"Staff"});
  MakeGroupsSubkey(versionKey);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    if (c.error == NERR_Success) {
      domain.DomainController(L"DC02");
    } else {
      domain.NoDomainController(c.error);
    }
    domain.dcQueries.clear();
    domain.displayQueries.clear();
    auto sheet = Sheet<CGroupsDlg>(setup, Target());
    SheetSession admin;
    if (!c.box.empty()) admin.Answer(IDOK);
    admin
        .Look([&](const Controls& page) {
          EXPECT_EQ(page.Text(IDC_GROUPS_DOMAIN), c.shown);
          EXPECT_EQ(GlobalGroups(page).size(), c.box.empty() ? 2u : 0u);
        })
        .PressCancel();
    admin.Run(*sheet);
    EXPECT_EQ(admin.boxes().size(), c.box.empty() ? 0u : 1u) << admin.Describe();
    if (!c.box.empty() && !admin.boxes().empty()) {
      EXPECT_EQ(admin.boxes()[0].Text(), c.box);
    }
    EXPECT_EQ(domain.dcQueries.size(), 1u) << "setup asks each time the page opens";
    EXPECT_EQ(domain.displayQueries.empty(), !c.box.empty()) << "no controller, no group listing";
  }

  // The console found no controller at start-up: it says nothing and asks nobody.
  config::ConsoleHost noController(consoleKey);
  MakeGroupsSubkey(MachineKey());
  domain.dcQueries.clear();
  auto sheet = Sheet<CGroupsDlg>(noController, Target::Machine(kMachine));
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(page.Text(IDC_GROUPS_DOMAIN), L"No domain controller found"); })
      .PressCancel();
  admin.Run(*sheet);
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
  EXPECT_TRUE(domain.dcQueries.empty());

  // A controller that will not list its groups is reported, not taken for an empty domain.
  domain.FailDisplayInformation(ERROR_ACCESS_DENIED);
  auto refused = Sheet<CGroupsDlg>(console, Target::Machine(kMachine));
  SheetSession denied;
  denied.Answer(IDOK).PressCancel();
  denied.Run(*refused);
  ASSERT_EQ(denied.boxes().size(), 1u) << denied.Describe();
  EXPECT_EQ(denied.boxes()[0].Text().rfind(L"Config test error 5: NetQueryDisplayInformation on \\\\DC01\n", 0), 0u)
      << denied.Describe();
}

TEST_F(GroupsPageTest, ThePoliciesShowWhatIsStoredAndOKWritesAndMarksThem) {
  Store(MachineKey(), L"MultiGroupMaxPol", 0);
  Store(MachineKey(), L"MultiGroupDltPol", 1);
  auto sheet = Sheet<CGroupsDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin
      .Look([](const Controls& page) {
        EXPECT_TRUE(page.Checked(IDC_GROUPS_MAX_BIGGEST));
        EXPECT_TRUE(page.Checked(IDC_GROUPS_DLT_LATEST));
        EXPECT_TRUE(page.Checked(IDC_GROUPS_VAL_MINUTES));
      })
      .Click(IDC_GROUPS_MAX_SMALLEST)
      .Click(IDC_GROUPS_DLT_EARLIEST)
      .Click(IDC_GROUPS_VAL_CLOCK_TIME)
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Number(MachineKey(), L"MultiGroupMaxPol"), 1u);
  EXPECT_EQ(Number(MachineKey(), L"MultiGroupDltPol"), 0u);
  EXPECT_EQ(Number(MachineKey(), L"MultiGroupValPol"), 1u);
  EXPECT_EQ(console.changes().dwordChangeMask, 0x800u | 0x1000u | 0x2000u);

  // Without a target there is no key: Add and OK each say so and write nothing.
  console.changes().Clear();
  domain.AddGroups({L"Sales"});
  auto nowhere = Sheet<CGroupsDlg>(console, Target());
  SheetSession lost;
  lost.Do(L"select Sales", SelectRows(kGlobal, {L"Sales"})).Click(IDC_GROUPS_ADD).Answer(IDOK).PressOK().Answer(IDOK);
  EXPECT_EQ(lost.Run(*nowhere), IDOK);
  ASSERT_EQ(lost.boxes().size(), 2u) << lost.Describe();
  EXPECT_EQ(lost.boxes()[0].Text(), L"Error: registry key name missing");
  EXPECT_EQ(lost.boxes()[1].Text(), L"Error: registry key name missing");
  EXPECT_EQ(console.changes().dwordChangeMask, 0u);
  EXPECT_EQ(ValueNames(consoleKey), std::set<std::wstring>{});
}

TEST_F(GroupsPageTest, ThePropertiesDialogInsistsOnAValueOfTheChosenKind) {
  CGroupPropsDlg dialog(setup, Target(), L"Sales,Staff", GroupKind::Minutes, L"", 0x00080000);
  ModalSession admin;
  admin
      .Look([](const Controls& props) {
        EXPECT_EQ(props.Text(IDC_GROUPPROPS_NAMES), L"Sales,Staff");
        EXPECT_TRUE(props.Checked(IDC_GROUPPROPS_AFTER_IDLE));
        EXPECT_TRUE(props.Focused(IDC_GROUPPROPS_MINUTES));
        EXPECT_TRUE(props.ReadOnly(IDC_GROUPPROPS_TIME));
        EXPECT_FALSE(::IsWindowVisible(props.Item(IDC_GROUPPROPS_SET)));
      })
      .PressOK()
      .Answer(IDOK)
      .Type(IDC_GROUPPROPS_MINUTES, L"10081")
      .PressOK()
      .Answer(IDOK)
      .Look([](const Controls& props) { EXPECT_TRUE(props.Focused(IDC_GROUPPROPS_MINUTES)); })
      .Click(IDC_GROUPPROPS_AT_TIME)
      .Look([](const Controls& props) {
        EXPECT_TRUE(props.ReadOnly(IDC_GROUPPROPS_MINUTES));
        EXPECT_TRUE(::IsWindowVisible(props.Item(IDC_GROUPPROPS_SET)));
        EXPECT_TRUE(props.Focused(IDC_GROUPPROPS_SET));
        EXPECT_EQ(props.Text(IDC_GROUPPROPS_TIME), L"") << "the preset is not taken unseen";
      })
      .PressOK()
      .Answer(IDOK)
      .Click(IDC_GROUPPROPS_SET)
      .Answer(SetDailyTime(L"11", L"59", kPM))
      .Look([](const Controls& props) { EXPECT_EQ(props.Text(IDC_GROUPPROPS_TIME), L"11:59 PM"); })
      .PressOK();
  EXPECT_EQ(admin.Run(dialog), IDOK);
  ASSERT_EQ(admin.boxes().size(), 4u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Must enter 'max idle minutes' value.");
  EXPECT_EQ(admin.boxes()[1].Text(), L"Invalid minutes value: must be between 1 and 10080");
  EXPECT_EQ(admin.boxes()[2].Text(), L"Must enter 'daily logoff time' value.");
  EXPECT_EQ(dialog.kind(), GroupKind::ClockTime);
  EXPECT_EQ(dialog.packedTime(), 0x0017003Bu);

  // Zero passes here (the page refuses it); so do the bounds.
  for (const wchar_t* minutes : {L"0", L"1", L"10080"}) {
    CGroupPropsDlg again(setup, Target(), L"Sales", GroupKind::ClockTime, L"", 0);
    ModalSession next;
    next.Click(IDC_GROUPPROPS_AFTER_IDLE).Type(IDC_GROUPPROPS_MINUTES, minutes).PressOK();
    EXPECT_EQ(next.Run(again), IDOK) << next.Describe();
    EXPECT_EQ(again.kind(), GroupKind::Minutes);
    EXPECT_EQ(again.minutes(), std::wcstol(minutes, nullptr, 10));
  }
}

}  // namespace
}  // namespace lullan::test
