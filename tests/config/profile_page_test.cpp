// The Profile page in a real sheet: the assignment of a shared profile to a
// machine (Profile and PLS), the refusal of a profile without a server, the
// console's change bits, setup's stamp, and a profile's own sheet.
#include "profile_page.h"

#include <gtest/gtest.h>

#include "config_fixture.h"
#include "fake_platform.h"
#include "general_page.h"
#include "registry_fixture.h"
#include "resource.h"

namespace lullan::test {
namespace {

using config::CGeneralDlg;
using config::CServerDlg;
using config::Target;

constexpr wchar_t kNoServer[] = L"No server specified. Can't assign a profile without a server.";

class ProfilePageTest : public ConfigTest {
 protected:
  static std::wstring Shown(const Controls& page) {
    auto edit = [&](unsigned id) { return L"[" + page.Text(id) + (page.ReadOnly(id) ? L"]ro" : L"]"); };
    return edit(IDC_PROFILE_NAME) + L" " + edit(IDC_PROFILE_SERVER);
  }
};

TEST_F(ProfilePageTest, TheConsoleMarksBothValuesWhenOnlyTheServerChanged) {
  Store(MachineKey(), L"Profile", L"stdLogoff");
  Store(MachineKey(), L"PLS", L"PROFSRV");
  auto unchanged = Sheet<CServerDlg>(console, Target::Machine(kMachine));
  SheetSession look;
  look.Look([](const Controls& page) { EXPECT_EQ(Shown(page), L"[stdLogoff] [PROFSRV]"); }).PressOK();
  EXPECT_EQ(look.Run(*unchanged), IDOK);
  EXPECT_EQ(console.changes().stringChangeMask, 0u) << "nothing differs from what was loaded";

  auto sheet = Sheet<CServerDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin.Type(IDC_PROFILE_SERVER, L"PROFSRV2-WITH-A-LONG-NAME").PressOK();  // cut at 15 as it is pasted
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(console.changes().stringChangeMask, 0xC0u) << "Profile and PLS go back together";
  EXPECT_EQ(console.changes().dwordChangeMask, 0u);
  EXPECT_EQ(Text(MachineKey(), L"PLS"), L"PROFSRV2-WITH-A");
  EXPECT_EQ(Text(MachineKey(), L"Profile"), L"stdLogoff");
}

TEST_F(ProfilePageTest, AProfileWithoutAServerKeepsTheSheetOpenUntilTheProfileIsCleared) {
  Store(MachineKey(), L"Profile", L"");
  auto sheet = Sheet<CGeneralDlg, CServerDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin.OnPage(L"Profile").Type(IDC_PROFILE_NAME, L"Finance").PressOK().Answer(IDOK);
  admin.Look([](const Controls& page) { EXPECT_TRUE(page.Focused(IDC_PROFILE_SERVER)) << "where the server goes"; });
  admin.OnPage(L"General").Answer(IDOK).Do(L"still on the Profile page", [](HWND sheet) {
    EXPECT_EQ(SheetSession::CurrentPage(sheet), L"Profile");
  });
  admin.Type(IDC_PROFILE_NAME, L"").PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 2u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), kNoServer);
  EXPECT_EQ(admin.boxes()[1].Text(), kNoServer) << "switching pages is refused too";
  EXPECT_EQ(Text(MachineKey(), L"Profile"), L"");
}

TEST_F(ProfilePageTest, SetupWritesTheAssignmentAndStampsItEvenWhenNothingChanged) {
  FixedClock at0905;
  ScopedPlatform clock;
  clock.Use(at0905);
  Store(versionKey, L"Profile", L"stdReboot");
  Store(versionKey, L"PLS", L"PROFSRV");
  auto sheet = Sheet<CServerDlg>(setup, Target());
  SheetSession admin;
  // Someone removes the version key while the sheet is open: it is made again and written.
  admin.Do(L"remove the version key", [this](HWND) { DeleteTree(HKEY_LOCAL_MACHINE, versionKey); }).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Text(versionKey, L"Profile"), L"stdReboot");
  EXPECT_EQ(Text(versionKey, L"PLS"), L"PROFSRV");
  EXPECT_EQ(Number(versionKey, L"ProfileLastChanged"), 0x00090005u) << "09:05, packed";
}

TEST_F(ProfilePageTest, OnASharedProfileThePageNamesItAndWritesNothing) {
  Store(ProfileKey(L"stdLogoff"), L"IdleMinutes", DWORD{30});
  auto sheet = Sheet<CServerDlg>(console, Target::Profile(L"stdLogoff"));
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(Shown(page), L"[stdLogoff]ro []ro"); }).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK) << "a profile's name without a server is no assignment to refuse";
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
  EXPECT_EQ(ValueNames(ProfileKey(L"stdLogoff")), std::set<std::wstring>{L"IdleMinutes"});
  EXPECT_EQ(console.changes().stringChangeMask, 0u);
}

}  // namespace
}  // namespace lullan::test
