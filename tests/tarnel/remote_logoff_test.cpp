// "Logoff Now!", "Shutdown Now!" and "Reboot Now!": the questions, the DCOM
// call to the logoff server on each selected computer, the status lines, the
// summaries and what a successful call changes in the list.
#include <gtest/gtest.h>

#include <algorithm>

#include "console_fixture.h"
#include "quitsrv.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using Method = LogoffMethod;

class RemoteLogoffTest : public ConsoleTest {
 protected:
  RemoteLogoffTest() {
    Workstation(L"PC-1", L"alice", 5);
    Workstation(L"PC-2", L"bob", 10);
    Workstation(L"PC-3", L"carol", 15);
  }
  // The method calls the logoff servers received, as "PC-1 Logoff".
  std::vector<std::wstring> Calls() const {
    std::vector<std::wstring> calls;
    for (const RecordingRemoteLogoff::MethodCall& call : logoff.Calls()) {
      static const wchar_t* const kNames[] = {L"Logoff", L"Shutdown", L"Reboot", L"IdleMins"};
      calls.push_back(call.machine + L" " + kNames[static_cast<int>(call.method)]);
    }
    return calls;
  }
};

TEST_F(RemoteLogoffTest, OneComputerIsProbedFirstSoThatTheQuestionNamesWhoIsLoggedOnNow) {
  ConsoleSession admin;
  admin.WaitForScan()
      .Do(L"dave logs on to PC-2", [this](HWND) { LoggedOn(L"PC-2", L"dave"); })
      .Select({L"PC-2"})
      .Click(IDC_LOGOFF_NOW)
      .Answer(IDYES)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Column(panel, tarnel::kCurrentUserColumn), (std::vector<std::wstring>{L"alice", L"", L"carol"}));
        EXPECT_EQ(Column(panel, tarnel::kPreviousUserColumn), (std::vector<std::wstring>{L"", L"", L""}))
            << "the previous user's cell changes with the next probe";
      })
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(BoxTexts(admin), std::vector<std::wstring>{L"Logoff dave from machine PC-2?"});
  EXPECT_EQ(StatusAfterScan(admin), std::vector<std::wstring>{L"Logoff on PC-2 successful."});
  EXPECT_EQ(Calls(), std::vector<std::wstring>{L"PC-2 Logoff"});
  ASSERT_EQ(logoff.Creations().size(), 1u);
  const RecordingRemoteLogoff::Creation created = logoff.Creations()[0];
  EXPECT_EQ(created.server, L"PC-2") << "the name as listed, without backslashes";
  EXPECT_EQ(created.context, static_cast<DWORD>(CLSCTX_REMOTE_SERVER));
  EXPECT_TRUE(::IsEqualCLSID(created.clsid, CLSID_FCLogoffEx));
  ASSERT_EQ(created.interfaces.size(), 1u);
  EXPECT_TRUE(::IsEqualIID(created.interfaces[0], IID_IUnknown));
  ASSERT_TRUE(created.auth.has_value());
  // Workstations with the DCOM hardening refuse activation below packet
  // integrity; NTLM is what every Windows from NT 4.0 on authenticates with.
  EXPECT_EQ(created.auth->authnService, static_cast<DWORD>(RPC_C_AUTHN_WINNT));
  EXPECT_EQ(created.auth->authzService, static_cast<DWORD>(RPC_C_AUTHZ_NONE));
  EXPECT_EQ(created.auth->authnLevel, static_cast<DWORD>(RPC_C_AUTHN_LEVEL_PKT_INTEGRITY));
  EXPECT_EQ(created.auth->impersonationLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IMPERSONATE));
  EXPECT_FALSE(created.auth->hasPrincipalName || created.auth->hasIdentity);
  EXPECT_EQ(created.auth->capabilities, static_cast<DWORD>(EOAC_NONE));
  EXPECT_EQ(logoff.LiveObjects(), 0) << "every object is released";
}

TEST_F(RemoteLogoffTest, ThreeComputersAreAskedAboutOnceAndEachGetsItsStatusLine) {
  ConsoleSession admin;
  admin.WaitForScan().Select({L"PC-1", L"PC-2", L"PC-3"}).Click(IDC_LOGOFF_NOW).Answer(IDYES).Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin), std::vector<std::wstring>{L"Logoff current user on 3 machines?"});
  EXPECT_EQ(StatusAfterScan(admin),
            (std::vector<std::wstring>{L"Logoff on PC-1 successful.", L"Logoff on PC-2 successful.",
                                       L"Logoff on PC-3 successful.", L"Logged off 3 machines"}));
  EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"PC-1 Logoff", L"PC-2 Logoff", L"PC-3 Logoff"}));
}

TEST_F(RemoteLogoffTest, RebootAndShutdownCountTheirSuccessesAndOnlyTwoOrMoreGetASummary) {
  logoff.On(L"PC-2").Answers(Method::Shutdown, E_FAIL);
  ConsoleSession admin;
  admin.WaitForScan()
      .Select({L"PC-1", L"PC-3"})
      .Click(IDC_REBOOT_NOW)
      .Answer(IDYES)
      .Look([](const Controls& panel) { EXPECT_EQ(StatusText(panel), L"Rebooted 2 machines"); })
      .Select({L"PC-1", L"PC-2"})
      .Click(IDC_SHUTDOWN_NOW)
      .Answer(IDYES)
      .Look([](const Controls& panel) { EXPECT_EQ(StatusText(panel), L"Shutdown of PC-2 failed."); })
      .Select({L"PC-3"})
      .Click(IDC_SHUTDOWN_NOW)
      .Answer(IDNO)
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{L"Reboot 2 machines?", L"Shutdown 2 machines?", L"Shutdown machine PC-3?"}));
  EXPECT_EQ(
      StatusAfterScan(admin),
      (std::vector<std::wstring>{L"Reboot of PC-1 successful.", L"Reboot of PC-3 successful.", L"Rebooted 2 machines",
                                 L"Shutdown of PC-1 successful.", L"Shutdown of PC-2 failed."}));
  EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"PC-1 Reboot", L"PC-3 Reboot", L"PC-1 Shutdown", L"PC-2 Shutdown"}))
      << "No to the one computer's question calls nothing";
}

TEST_F(RemoteLogoffTest, EveryReasonACreationFailsForIsToldAndTheComputerFails) {
  struct Case {
    HRESULT result;
    const wchar_t* reason;
  };
  for (const Case& c : {Case{E_NOINTERFACE, L"Specified interface not available"},
                        Case{E_ACCESSDENIED, L"Access denied"}, Case{E_OUTOFMEMORY, L"Out of memory"},
                        Case{E_INVALIDARG, L"One or more args invalid"}, Case{REGDB_E_CLASSNOTREG, L"Unknown error"},
                        Case{HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), L"Unknown error"}}) {
    SCOPED_TRACE(FormatTextA("HRESULT 0x%08lX", static_cast<unsigned long>(c.result)));
    logoff.On(L"PC-1").CreateFails(c.result);
    ConsoleSession admin;
    admin.WaitForScan().Select({L"PC-1"}).Click(IDC_REBOOT_NOW).Answer(IDYES).Answer(IDOK).Exit();
    RunConsole(admin);
    EXPECT_EQ(BoxTexts(admin), (std::vector<std::wstring>{L"Reboot machine PC-1?",
                                                          std::wstring(L"CoCreateInstanceEx error: ") + c.reason}));
    EXPECT_EQ(StatusAfterScan(admin), std::vector<std::wstring>{L"Reboot of PC-1 failed."});
  }
  EXPECT_TRUE(logoff.Calls().empty());
}

TEST_F(RemoteLogoffTest, AServerWithoutILogoffExIsToldAndNothingIsCalled) {
  logoff.On(L"PC-3").WithoutLogoffEx();
  ConsoleSession admin;
  admin.WaitForScan().Select({L"PC-2", L"PC-3"}).Click(IDC_LOGOFF_NOW).Answer(IDYES).Answer(IDOK).Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{L"Logoff current user on 2 machines?", L"IID_ILogoff not supported."}));
  EXPECT_EQ(StatusAfterScan(admin),
            (std::vector<std::wstring>{L"Logoff on PC-2 successful.", L"Logoff on PC-3 failed."}))
      << "one success: no summary";
  EXPECT_EQ(Calls(), std::vector<std::wstring>{L"PC-2 Logoff"});
  EXPECT_EQ(logoff.LiveObjects(), 0);
}

TEST_F(RemoteLogoffTest, WithoutASelectionEveryOperationSaysSoAndDoesNothing) {
  ConsoleSession admin;
  admin.WaitForScan();
  for (unsigned button : {IDC_LOGOFF_NOW, IDC_SHUTDOWN_NOW, IDC_REBOOT_NOW}) admin.Click(button).Answer(IDOK);
  admin.Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin), std::vector<std::wstring>(3, L"No computer selected"));
  EXPECT_TRUE(logoff.Creations().empty());
}

TEST_F(RemoteLogoffTest, TheLoggedOffUserBecomesThePreviousUserThatSortingUses) {
  Store(L"PC-1", L"PrevUser", L"zoe");
  Store(L"PC-2", L"PrevUser", L"yann");
  Store(L"PC-3", L"PrevUser", L"xavier");
  ConsoleSession admin;
  admin.WaitForScan()
      .Select({L"PC-1"})
      .Click(IDC_LOGOFF_NOW)
      .Answer(IDYES)  // alice leaves PC-1: zoe is no longer its previous user
      .ClickColumn(tarnel::kPreviousUserColumn)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Names(panel), (std::vector<std::wstring>{L"PC-2", L"PC-3", L"PC-1"})) << "yann, xavier, alice";
        EXPECT_EQ(Column(panel, tarnel::kPreviousUserColumn), (std::vector<std::wstring>{L"yann", L"xavier", L"zoe"}))
            << "the cell shows the old name until the next probe";
      })
      .Exit();
  RunConsole(admin);
}

TEST_F(RemoteLogoffTest, LogoffNowDuringARunningScanCompletes) {
  for (int i = 4; i <= 12; ++i) Workstation(FormatText(L"PC-%d", i));
  // Every probe waits on the network while it holds the probe lock, and
  // every service query too: the scan is still running when PC-1 is logged
  // off, and the button's own probe has to wait for a worker's.
  registry.DelayEachCall(150);
  services.DelayEachCall(30);
  ConsoleSession admin;
  admin.Select({L"PC-1"})
      .Look([](const Controls& panel) { EXPECT_FALSE(panel.Enabled(IDC_REFRESH)) << "the scan is still running"; })
      .Click(IDC_LOGOFF_NOW)
      .Answer(IDYES)
      .WaitForScan()
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin), std::vector<std::wstring>{L"Logoff alice from machine PC-1?"});
  EXPECT_EQ(Calls(), std::vector<std::wstring>{L"PC-1 Logoff"});
  std::vector<std::wstring> status = admin.statusTexts();
  EXPECT_NE(std::find(status.begin(), status.end(), L"Logoff on PC-1 successful."), status.end())
      << Narrow(admin.DescribeStatus());
  EXPECT_EQ(status.back(), L"12 of 12 computers running Lullan service");
}

}  // namespace
}  // namespace lullan::test
