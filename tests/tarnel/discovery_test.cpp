// How the console finds the domain's computers: the browse list, and on a
// network without one (no Computer Browser, no SMB1) the computer accounts
// the domain controller found at start-up keeps.
#include <gtest/gtest.h>

#include <algorithm>

#include "console_fixture.h"
#include "server_panel_dlg.h"
#include "text_format.h"

namespace lullan::test {
namespace {

class DiscoveryTest : public ConsoleTest {
 protected:
  // A computer the domain knows by its account only, running Lullan, whose
  // registry names its Windows version.
  void Account(const std::wstring& computer, DWORD majorVersion, DWORD minorVersion,
               DWORD flags = UF_WORKSTATION_TRUST_ACCOUNT) {
    domain.AddComputerAccount(computer + L"$", flags);
    services.On(computer).Service(L"Lullan", SERVICE_RUNNING);
    Store(computer, L"sims$", 0);
    Store(computer, L"CurrentMajorVersionNumber", majorVersion, kWindowsVersionKey);
    Store(computer, L"CurrentMinorVersionNumber", minorVersion, kWindowsVersionKey);
  }
  // The level-2 listings the console asked the domain for.
  std::vector<ScriptedDomain::DisplayCall> AccountListings() const {
    std::vector<ScriptedDomain::DisplayCall> calls;
    std::copy_if(domain.displayQueries.begin(), domain.displayQueries.end(), std::back_inserter(calls),
                 [](const ScriptedDomain::DisplayCall& call) { return call.level == 2; });
    return calls;
  }
  static bool Seen(const ConsoleSession& admin, const std::wstring& text) {
    const std::vector<std::wstring>& all = admin.statusTexts();
    return std::find(all.begin(), all.end(), text) != all.end();
  }

  static constexpr wchar_t kWindowsVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
};

TEST_F(DiscoveryTest, WithoutABrowseListTheComputerAccountsAreListedAndProbedLikeBrowsedComputers) {
  Account(L"PC-10", 10, 0);
  Account(L"DC1", 5, 0, UF_SERVER_TRUST_ACCOUNT);  // a domain controller
  domain.AddComputerAccount(L"PC-OFF$");           // its service manager does not answer
  Registry(L"PC-OFF");
  domain.AddComputerAccount(L"TRUSTING$", UF_INTERDOMAIN_TRUST_ACCOUNT);  // another domain: no computer
  Store(L"PC-OLD", L"CurrentVersion", L"6.1", kWindowsVersionKey);        // "CurrentVersion" only
  services.On(L"PC-OLD").Service(L"Lullan", SERVICE_STOPPED);
  Store(L"PC-OLD", L"sims$", 0);
  domain.AddComputerAccount(L"PC-OLD$");
  WriteDword(HKEY_LOCAL_MACHINE, consoleKey, L"EnableWin9x", 1);  // no account is a Windows 9x computer's
  WriteDword(HKEY_LOCAL_MACHINE, consoleKey, L"Purge", 1);
  app.InitInstance();  // finds the domain controller

  struct Case {
    const char* what;
    NET_API_STATUS status;
  };
  for (const Case& c :
       {Case{"no browser server (6118)", ERROR_NO_BROWSER_SERVERS_FOUND}, Case{"an empty browse list", NERR_Success}}) {
    SCOPED_TRACE(c.what);
    domain.FailServerEnum(c.status);
    domain.displayQueries.clear();
    registry.requests.clear();
    ConsoleSession admin;
    admin.WaitForScan()
        .Look([](const Controls& panel) {
          EXPECT_EQ(RowLines(panel), (std::vector<std::wstring>{
                                         L"PC-10 | NT 10.0 | [none] |  | 0 |  |  | image 0",
                                         L"DC1 | Win2000 | [none] |  | 0 |  |  | image 0",
                                         L"PC-OLD | NT 6.1 | [none] |  | 0 |  |  | image 1",
                                     }))
              << "PC-OFF is purged";
          EXPECT_EQ(StatusText(panel), L"2 of 3 computers running Lullan service");
        })
        .Exit();
    RunConsole(admin);
    EXPECT_TRUE(admin.boxes().empty()) << Narrow(admin.Describe());
    EXPECT_TRUE(Seen(admin, L"4 computers listed from the domain's computer accounts"))
        << Narrow(admin.DescribeStatus());
    std::vector<ScriptedDomain::DisplayCall> listings = AccountListings();
    ASSERT_EQ(listings.size(), 1u);
    EXPECT_EQ(listings[0].server, L"\\\\DC1") << "the domain controller found at start-up";
    EXPECT_EQ(std::count(registry.requests.begin(), registry.requests.end(), L"\\\\PC-OFF"), 0)
        << "a computer without the service is not asked for quitcom: a domain has no Windows 9x accounts";
  }
}

TEST_F(DiscoveryTest, ThreeHundredAccountsComeInThreePagesOfAHundred) {
  for (int i = 1; i <= 300; ++i) domain.AddComputerAccount(FormatText(L"PC-%03d$", i));
  app.InitInstance();
  domain.FailServerEnum(ERROR_NO_BROWSER_SERVERS_FOUND);
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        std::vector<std::wstring> names = Names(panel);
        ASSERT_EQ(names.size(), 300u);
        EXPECT_EQ(names.front(), L"PC-001");
        EXPECT_EQ(names[100], L"PC-101") << "the second page follows the first";
        EXPECT_EQ(names.back(), L"PC-300");
      })
      .Exit();
  RunConsole(admin);
  std::vector<ScriptedDomain::DisplayCall> listings = AccountListings();
  ASSERT_EQ(listings.size(), 3u);
  EXPECT_EQ(listings[0].index, 0u);
  for (const ScriptedDomain::DisplayCall& page : listings) {
    EXPECT_EQ(page.returned, 100u);
    EXPECT_EQ(page.requested, 100u);
  }
  EXPECT_EQ(listings[0].status, static_cast<NET_API_STATUS>(ERROR_MORE_DATA));
  EXPECT_EQ(listings[2].status, static_cast<NET_API_STATUS>(NERR_Success));
  EXPECT_TRUE(Seen(admin, L"300 computers listed from the domain's computer accounts"));
}

TEST_F(DiscoveryTest, TheBrowseListIsUsedWhenItAnswersAndItsErrorIsToldWhenTheAccountsCannotStandIn) {
  Workstation(L"PC-BROWSED");
  domain.AddComputerAccount(L"PC-ACCOUNT$");
  struct Case {
    const char* what;
    NET_API_STATUS browseList;
    DWORD entries;
    bool domainController;          // found at start-up
    NET_API_STATUS accountListing;  // what the level-2 listing answers
    std::vector<std::wstring> rows;
    const wchar_t* message;  // null: none
  };
  const std::vector<Case> cases = {
      {"the browse list answers", NERR_Success, 1, true, NERR_Success, {L"PC-BROWSED"}, nullptr},
      {"a partial browse list", ERROR_MORE_DATA, 1, true, NERR_Success, {L"PC-BROWSED"}, nullptr},
      {"6118 with some computers",
       ERROR_NO_BROWSER_SERVERS_FOUND,
       1,
       true,
       NERR_Success,
       {L"PC-BROWSED"},
       L"no browser server found"},
      {"no domain controller at start-up",
       ERROR_NO_BROWSER_SERVERS_FOUND,
       0,
       false,
       NERR_Success,
       {},
       L"Error (NERR_BASE + 4018) getting server list."},
      {"the accounts are refused",
       ERROR_NO_BROWSER_SERVERS_FOUND,
       0,
       true,
       ERROR_ACCESS_DENIED,
       {},
       L"Error (NERR_BASE + 4018) getting server list."},
      {"an empty browse list, no accounts to be had", NERR_Success, 0, true, ERROR_ACCESS_DENIED, {}, nullptr},
      {"not the local domain", NERR_NotLocalDomain, 0, true, NERR_Success, {}, L"Network error: not local domain"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.domainController) {
      domain.DomainController(L"DC1");
    } else {
      domain.NoDomainController();
    }
    {
      DialogAnswerer startUp;
      if (!c.domainController) startUp.Answer(IDOK);  // "Can't find domain controller"
      app.InitInstance();
    }
    domain.FailServerEnum(c.browseList, c.entries);
    domain.FailDisplayInformation(c.accountListing);
    domain.displayQueries.clear();
    ConsoleSession admin;
    if (c.message) admin.Answer(IDOK);
    admin.WaitForScan().Look([&c](const Controls& panel) { EXPECT_EQ(Names(panel), c.rows); }).Exit();
    RunConsole(admin);
    EXPECT_EQ(BoxTexts(admin), c.message ? std::vector<std::wstring>{c.message} : std::vector<std::wstring>{});
    for (const std::wstring& text : admin.statusTexts())
      EXPECT_EQ(text.find(L"listed from the domain's computer accounts"), std::wstring::npos) << Narrow(text);
    if (c.entries > 0 || c.browseList == NERR_NotLocalDomain || !c.domainController) {
      EXPECT_TRUE(AccountListings().empty()) << "the accounts are not asked for";
    }
  }
}

}  // namespace
}  // namespace lullan::test
