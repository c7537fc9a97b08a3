// "Start/Stop": what the console offers for each state it last saw, the
// calls it makes on the workstation's service manager, the configuration
// monitor started and stopped with the main service, and what the box, the
// status bar and the row show after success and after every kind of failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "console_fixture.h"
#include "responsiveness_probe.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using Operation = ScriptedServiceManager::Operation;

class ServiceControlTest : public ConsoleTest {
 protected:
  // A step that marks where the calls of the buttons begin (after the scan's).
  DialogSession::Step MarkCalls() {
    return [this](HWND) { scanCalls_ = services.Calls().size(); };
  }
  // The calls made since the mark that open, start or stop something, as
  // "OpenService LConfigMon 0x80000000" or "Control Lullan 1".
  std::vector<std::wstring> Requests() const {
    std::vector<std::wstring> requests;
    std::vector<ScriptedServiceManager::Call> calls = services.Calls();
    for (size_t i = scanCalls_; i < calls.size(); ++i) {
      const ScriptedServiceManager::Call& call = calls[i];
      switch (call.operation) {
        case Operation::OpenManager:
          requests.push_back(FormatText(L"OpenManager %s 0x%lX", call.machine.c_str(), call.argument));
          break;
        case Operation::OpenService:
          requests.push_back(FormatText(L"OpenService %s 0x%lX", call.service.c_str(), call.argument));
          break;
        case Operation::Start:
          requests.push_back(L"Start " + call.service);
          break;
        case Operation::Control:
          requests.push_back(FormatText(L"Control %s %lu", call.service.c_str(), call.argument));
          break;
        default:
          break;
      }
    }
    return requests;
  }
  static int Image(const Controls& panel, const std::wstring& computer) {
    for (const ListRow& row : Rows(panel))
      if (row.cells[tarnel::kComputerColumn] == computer) return row.image;
    ADD_FAILURE() << Narrow(computer) << " is not listed";
    return -1;
  }

  void ExpectEveryHandleClosed() const {
    EXPECT_EQ(services.OpenHandles(), 0) << "every service handle is closed";
    EXPECT_EQ(services.Faults(), 0);
  }

  size_t scanCalls_ = 0;
};

TEST_F(ServiceControlTest, StoppingARunningWorkstationStopsTheMonitorFirstAndTheRowShowsTheServicePresent) {
  Workstation(L"PC-1");
  services.On(L"PC-1").Service(L"LConfigMon", SERVICE_RUNNING);
  ConsoleSession admin;
  admin.WaitForScan()
      .Do(L"mark", MarkCalls())
      .Select({L"PC-1"})
      .Click(IDC_START_STOP)
      .Answer(IDYES)
      .Answer(IDOK)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Image(panel, L"PC-1"), tarnel::kImagePresent);
        EXPECT_EQ(StatusText(panel), L"Lullan service stopped successfully on PC-1");
      })
      .Click(IDC_START_STOP)  // the record now says stopped: Start is offered
      .Answer(IDNO)
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{L"Stop Lullan on PC-1?", L"Lullan service stopped successfully on PC-1",
                                       L"Start Lullan on PC-1?"}));
  EXPECT_EQ(Requests(), (std::vector<std::wstring>{
                            L"OpenManager PC-1 0xF003F",           // SC_MANAGER_ALL_ACCESS
                            L"OpenService Lullan 0xF01FF",         // SERVICE_ALL_ACCESS
                            L"OpenService LConfigMon 0x80000000",  // GENERIC_READ: is the monitor running?
                            L"OpenService LConfigMon 0x20",        // SERVICE_STOP
                            L"Control LConfigMon 1",
                            L"OpenService Lullan 0x20",
                            L"Control Lullan 1",
                        }));
  EXPECT_EQ(services.State(L"PC-1", L"Lullan"), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(services.State(L"PC-1", L"LConfigMon"), static_cast<DWORD>(SERVICE_STOPPED));
  ExpectEveryHandleClosed();
}

TEST_F(ServiceControlTest, EveryStateButRunningIsOfferedStartAndAStartedServiceShowsRunning) {
  Workstation(L"PC-0");  // not reachable at the scan: code 0
  services.On(L"PC-0").OpenFails(L"Lullan", ERROR_SERVICE_DOES_NOT_EXIST);
  Workstation(L"PC-1");  // its status query fails: code 1
  services.On(L"PC-1").QueryFails(L"Lullan", ERROR_ACCESS_DENIED);
  Workstation(L"PC-2", L"", 0, SERVICE_RUNNING);
  Workstation(L"PC-3", L"", 0, SERVICE_PAUSED);
  Workstation(L"PC-4", L"", 0, SERVICE_STOPPED);
  Workstation(L"PC-5", L"", 0, SERVICE_CONTINUE_PENDING);  // code 5
  ConsoleSession admin;
  admin.Answer(IDOK);  // the scan's "Error querying SCM" for PC-1
  admin.WaitForScan().Do(L"mark", MarkCalls());
  for (const wchar_t* pc : {L"PC-0", L"PC-1", L"PC-2", L"PC-3", L"PC-5"})
    admin.Select({pc}).Click(IDC_START_STOP).Answer(IDNO);
  admin.Select({L"PC-4"})
      .Click(IDC_START_STOP)
      .Answer(IDYES)
      .Answer(IDOK)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Image(panel, L"PC-4"), tarnel::kImageRunning);
        EXPECT_EQ(StatusText(panel), L"Lullan service started successfully on PC-4");
      })
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{L"Error querying SCM", L"Start Lullan on PC-0?", L"Start Lullan on PC-1?",
                                       L"Stop Lullan on PC-2?", L"Start Lullan on PC-3?", L"Start Lullan on PC-5?",
                                       L"Start Lullan on PC-4?", L"Lullan service started successfully on PC-4"}));
  EXPECT_EQ(Requests(),
            (std::vector<std::wstring>{L"OpenManager PC-4 0xF003F", L"OpenService Lullan 0xF01FF", L"Start Lullan"}))
      << "No asks nothing of the workstation; a start without a profile leaves the monitor alone";
  EXPECT_EQ(services.State(L"PC-4", L"Lullan"), static_cast<DWORD>(SERVICE_RUNNING));
  ExpectEveryHandleClosed();
}

TEST_F(ServiceControlTest, AStartOnAWorkstationThatMeanwhileRunsTheServiceChangesNothing) {
  Workstation(L"PC-1", L"", 0, SERVICE_STOPPED);
  ConsoleSession admin;
  admin.WaitForScan()
      .Do(L"someone starts Lullan on PC-1", [this](HWND) { services.On(L"PC-1").Service(L"Lullan", SERVICE_RUNNING); })
      .Do(L"mark", MarkCalls())
      .Select({L"PC-1"})
      .Click(IDC_START_STOP)
      .Answer(IDYES)
      .Answer(IDOK)
      .Look([](const Controls& panel) {
        EXPECT_EQ(Image(panel, L"PC-1"), tarnel::kImagePresent) << "the row waits for the next scan";
      })
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{L"Start Lullan on PC-1?", L"Lullan service is already running on PC-1"}));
  EXPECT_EQ(Requests(), (std::vector<std::wstring>{L"OpenManager PC-1 0xF003F", L"OpenService Lullan 0xF01FF"}));
  EXPECT_TRUE(StatusAfterScan(admin).empty());
  ExpectEveryHandleClosed();
}

TEST_F(ServiceControlTest, AWorkstationWithAProfileGetsItsMonitorStartedOrIsToldItHasNone) {
  for (const wchar_t* pc : {L"PC-1", L"PC-2", L"PC-3"}) Workstation(pc, L"", 0, SERVICE_STOPPED);
  Store(L"PC-1", L"Profile", L"stdLogoff");  // and no monitor
  Store(L"PC-2", L"Profile", L"stdLogoff");
  services.On(L"PC-2").Service(L"LConfigMon", SERVICE_STOPPED);
  services.On(L"PC-3").Service(L"LConfigMon", SERVICE_STOPPED);  // no profile: nothing to copy
  ConsoleSession admin;
  admin.WaitForScan().Do(L"mark", MarkCalls());
  admin.Select({L"PC-1"}).Click(IDC_START_STOP).Answer(IDYES).Answer(IDOK).Answer(IDOK);
  for (const wchar_t* pc : {L"PC-2", L"PC-3"}) admin.Select({pc}).Click(IDC_START_STOP).Answer(IDYES).Answer(IDOK);
  admin.Exit();
  RunConsole(admin);

  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{L"Start Lullan on PC-1?", L"Lullan Configuration Monitor service not installed",
                                       L"Lullan service started successfully on PC-1", L"Start Lullan on PC-2?",
                                       L"Lullan service started successfully on PC-2", L"Start Lullan on PC-3?",
                                       L"Lullan service started successfully on PC-3"}))
      << "the main service is started first, then the monitor is seen to";
  EXPECT_EQ(services.State(L"PC-2", L"LConfigMon"), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(services.State(L"PC-3", L"LConfigMon"), static_cast<DWORD>(SERVICE_STOPPED));
  std::vector<std::wstring> requests = Requests();
  EXPECT_NE(std::find(requests.begin(), requests.end(), L"OpenService LConfigMon 0x14"), requests.end())
      << "the monitor is opened to query and start it";
  EXPECT_EQ(std::count(requests.begin(), requests.end(), L"Start LConfigMon"), 1);
  ExpectEveryHandleClosed();
}

TEST_F(ServiceControlTest, OnlyNtAndWindows2000WorkstationsAreAskedAndOthersAreRefusedBeforeAnyQuestion) {
  Listed(L"PC-95").Win9x();
  Listed(L"NETWARE").Type(SV_TYPE_NOVELL);
  Workstation(L"PC-NT4", L"", 0, SERVICE_STOPPED).Nt(4, 0);
  ConsoleSession admin;
  admin.WaitForScan().Do(L"mark", MarkCalls());
  for (const wchar_t* pc : {L"PC-95", L"NETWARE", L"PC-NT4"}) admin.Select({pc}).Click(IDC_START_STOP).Answer(IDNO);
  admin.Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{L"Can't stop/start Lullan because PC-95 is running Win9x, not NT",
                                       L"Can't stop/start Lullan because NETWARE is running NW, not NT",
                                       L"Start Lullan on PC-NT4?"}));
  EXPECT_TRUE(Requests().empty());
}

TEST_F(ServiceControlTest, EveryFailureIsToldWithItsReasonAndTheRecordAndRowKeepWhatTheyHad) {
  struct Case {
    const wchar_t* computer;
    std::function<void(ScriptedServiceManager::MachineScript)> fault;  // scripted once the scan is over
    std::wstring message;
  };
  const std::vector<Case> cases = {
      {L"PC-DENIED", [](auto pc) { pc.OpenManagerFails(ERROR_ACCESS_DENIED); },
       L"Error opening SCM on PC PC-DENIED: access denied"},
      {L"PC-PARAM", [](auto pc) { pc.OpenManagerFails(ERROR_INVALID_PARAMETER); },
       L"Error opening SCM on PC PC-PARAM: invalid parameter"},
      {L"PC-GONE", [](auto pc) { pc.Unreachable(); },
       Because(L"Error opening SCM on PC PC-GONE", RPC_S_SERVER_UNAVAILABLE)},
      {L"PC-NOSVC", [](auto pc) { pc.OpenFails(L"Lullan", ERROR_ACCESS_DENIED); },
       Because(L"Error opening Lullan service on PC-NOSVC", ERROR_ACCESS_DENIED)},
      {L"PC-QUERY", [](auto pc) { pc.QueryFails(L"Lullan", ERROR_ACCESS_DENIED); }, L"Error querying SCM"},
      {L"PC-LOGON", [](auto pc) { pc.StartFails(L"Lullan", ERROR_SERVICE_LOGON_FAILED); },
       Because(L"Lullan service failed to start on PC-LOGON", ERROR_SERVICE_LOGON_FAILED)},
      // Seen start pending by the scan (so running), and still so: it takes no stop.
      {L"PC-STUCK", [](auto) {},
       Because(L"Lullan service failed to stop on PC-STUCK", ERROR_SERVICE_CANNOT_ACCEPT_CTRL)},
  };
  for (const Case& c : cases) {
    bool stuck = std::wstring(c.computer) == L"PC-STUCK";
    Workstation(c.computer, L"", 0, stuck ? SERVICE_START_PENDING : SERVICE_STOPPED);
  }
  std::vector<std::wstring> imagesAfterScan;
  ConsoleSession admin;
  admin.WaitForScan().Do(L"break every workstation", [&](HWND) {
    for (const Case& c : cases) c.fault(services.On(c.computer));
  });
  admin.Look([&](const Controls& panel) {
    for (const Case& c : cases) imagesAfterScan.push_back(std::to_wstring(Image(panel, c.computer)));
  });
  for (const Case& c : cases) admin.Select({c.computer}).Click(IDC_START_STOP).Answer(IDYES).Answer(IDOK);
  admin
      .Look([&](const Controls& panel) {
        std::vector<std::wstring> images;
        for (const Case& c : cases) images.push_back(std::to_wstring(Image(panel, c.computer)));
        EXPECT_EQ(images, imagesAfterScan) << "every row keeps its icon";
      })
      .Do(L"mend every workstation", [&](HWND) {
        for (const Case& c : cases) {
          services.On(c.computer)
              .OpenManagerFails(ERROR_SUCCESS)
              .OpenFails(L"Lullan", ERROR_SUCCESS)
              .QueryFails(L"Lullan", ERROR_SUCCESS)
              .StartFails(L"Lullan", ERROR_SUCCESS);
        }
      });
  // What each record says decides what is offered next: nothing changed.
  for (const Case& c : cases) admin.Select({c.computer}).Click(IDC_START_STOP).Answer(IDNO);
  admin.Exit();
  RunConsole(admin);

  std::vector<std::wstring> expected;
  for (const Case& c : cases) {
    bool stuck = std::wstring(c.computer) == L"PC-STUCK";
    expected.push_back(FormatText(L"%s Lullan on %s?", stuck ? L"Stop" : L"Start", c.computer));
    expected.push_back(c.message);
  }
  for (const Case& c : cases) {
    bool stuck = std::wstring(c.computer) == L"PC-STUCK";
    expected.push_back(FormatText(L"%s Lullan on %s?", stuck ? L"Stop" : L"Start", c.computer));
  }
  EXPECT_EQ(BoxTexts(admin), expected);
  EXPECT_TRUE(StatusAfterScan(admin).empty()) << "a failure is no news for the status bar";
  ExpectEveryHandleClosed();
}

TEST_F(ServiceControlTest, ASlowManagerAndAStartThatNeverEndsAreWaitedForWithTheDialogResponsive) {
  Workstation(L"PC-SLOW", L"", 0, SERVICE_STOPPED);
  Workstation(L"PC-STUCK", L"", 0, SERVICE_STOPPED);
  ResponsivenessProbe probe;
  DWORD busyMs = 0;
  ConsoleSession admin;
  admin.WaitForScan()
      .Do(L"slow down PC-SLOW, hang PC-STUCK's start",
          [this](HWND) {
            services.On(L"PC-SLOW").Unreachable();
            services.On(L"PC-STUCK").StartNeverEnds(L"Lullan");
          })
      .Do(L"watch the dialog", [&probe](HWND panel) { probe.Watch(panel); })
      .Select({L"PC-SLOW"})
      .Do(L"every call now takes a second", [this](HWND) { services.DelayEachCall(1000); })
      .Click(IDC_START_STOP)
      .Answer(IDYES)
      .Answer(IDOK)
      .Do(L"calls answer at once again", [this](HWND) { services.DelayEachCall(0); })
      .Select({L"PC-STUCK"})
      .Do(L"start PC-STUCK",
          [&busyMs](HWND panel) {
            DWORD clicked = ::GetTickCount();
            ::SendMessageW(::GetDlgItem(panel, IDC_START_STOP), BM_CLICK, 0, 0);
            busyMs = ::GetTickCount() - clicked;
          })
      .Answer(IDYES)
      .Answer(IDOK)
      .Do(L"stop watching", [&probe](HWND) { probe.Stop(); })
      .Look([](const Controls& panel) {
        EXPECT_EQ(Image(panel, L"PC-STUCK"), tarnel::kImagePresent) << "not taken as running";
        EXPECT_TRUE(panel.Enabled(IDC_START_STOP)) << "the dialog takes input again";
      })
      .Select({L"PC-STUCK"})
      .Click(IDC_START_STOP)
      .Answer(IDNO)
      .Exit();
  RunConsole(admin);

  EXPECT_EQ(BoxTexts(admin),
            (std::vector<std::wstring>{
                L"Start Lullan on PC-SLOW?", Because(L"Error opening SCM on PC PC-SLOW", RPC_S_SERVER_UNAVAILABLE),
                L"Start Lullan on PC-STUCK?",
                L"Lullan service is still starting on PC-STUCK; refresh the list later to see whether it runs.",
                L"Start Lullan on PC-STUCK?"}));
  EXPECT_GE(busyMs, 2000u) << "the start is followed for as long as the service hints (2 s) without progress";
  EXPECT_LT(busyMs, 10000u);
  EXPECT_GT(probe.answers(), 50) << "the dialog answered all along";
  EXPECT_LT(probe.slowestMs(), 500u) << "and never waited for the workstation";
  EXPECT_EQ(services.State(L"PC-STUCK", L"Lullan"), static_cast<DWORD>(SERVICE_START_PENDING));
  ExpectEveryHandleClosed();
}

TEST_F(ServiceControlTest, WithoutASelectionStartStopAndConfigureSaySoAndDoNothing) {
  Workstation(L"PC-1");
  ConsoleSession admin;
  admin.WaitForScan().Do(L"mark", MarkCalls());
  admin.Click(IDC_START_STOP).Answer(IDOK).Click(IDC_CONFIGURE).Answer(IDOK).Exit();
  RunConsole(admin);
  EXPECT_EQ(BoxTexts(admin), std::vector<std::wstring>(2, L"No computer selected"));
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(registry.requests.size(), 1u) << "the scan's probe alone";
}

}  // namespace
}  // namespace lullan::test
