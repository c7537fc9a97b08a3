// The engine in process, as the service runs it, on a workstation whose
// sessions, clock, event log and exits are the test's: it watches the
// sessions, keeps an agent in each, reads its configuration, acts through
// the seams and records what it does.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include <windows.h>
// After windows.h.
#include <mmsystem.h>

#include "agent_dlg.h"
#include "config_reader.h"
#include "dialog_answerer.h"
#include "engine.h"
#include "event_ids.h"
#include "fake_platform.h"
#include "packed_time.h"
#include "pipe_protocol.h"
#include "program_runner.h"
#include "registry_fixture.h"
#include "service_host.h"
#include "text_format.h"

namespace lullan::engine {
namespace {

using namespace std::chrono_literals;

std::string ReadFileText(const std::wstring& path) {
  std::ifstream file(Narrow(path), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::wstring OwnUser() {
  unique_handle token;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put());
  TokenIdentity identity;
  ReadTokenIdentity(token.get(), &identity);
  return identity.user;
}

class EngineTest : public ::testing::Test {
 protected:
  EngineTest()
      : versionKey(FormatText(L"SOFTWARE\\Fennick\\LullanEngineTest-%lu", ::GetCurrentProcessId())), user(OwnUser()) {
    scope_.Use(sessions).Use(clock).Use(events).Use(exits);
    test::DeleteTree(HKEY_LOCAL_MACHINE, versionKey);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder = FormatText(L"%slullan-engine-%lu", temp, ::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    clock.now.wHour = 9;
    clock.now.wMinute = 9;
    Set(L"InstallDir", folder);
    Set(L"UseLogFile", 1);
    Set(L"EnableDailyLogoff", 1);
    Set(L"DailyLogoffTime", PackTime(9, 10));
  }
  ~EngineTest() override {
    engine.reset();
    test::DeleteTree(HKEY_LOCAL_MACHINE, versionKey);
    for (const wchar_t* file : {L"lullan.log", L"logoff.bat", L"ran.txt"})
      ::DeleteFileW((folder + L"\\" + file).c_str());
    ::RemoveDirectoryW(folder.c_str());
  }

  void Set(const wchar_t* name, DWORD value) { test::WriteDword(HKEY_LOCAL_MACHINE, versionKey, name, value); }
  void Set(const wchar_t* name, const std::wstring& text) {
    test::WriteString(HKEY_LOCAL_MACHINE, versionKey, name, text);
  }

  void StartEngine(const std::wstring& agentProgram = test::TestProgramFolder() + L"\\stub_agent.exe") {
    EngineOptions options;
    options.versionKeyPath = versionKey;
    options.agentProgram = agentProgram;
    options.agentRestartWait = 0;
    options.agentQuitWait = 500;
    engine = std::make_unique<Engine>(options);
    ASSERT_TRUE(engine->Start()) << "error " << ::GetLastError();
    engine->Turn();
  }
  // The engine's next decision, at the given local time.
  void TurnAt(WORD hour, WORD minute) {
    clock.now.wHour = hour;
    clock.now.wMinute = minute;
    engine->Turn();
  }
  // Turns until `done`, for at most five seconds.
  bool TurnUntil(const std::function<bool()>& done) {
    for (auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;) {
      engine->Turn();
      if (done()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return done();
  }
  std::string Log() const { return ReadFileText(folder + L"\\lullan.log"); }
  const test::RecordingEventLog::Event* FindEvent(DWORD id) const {
    for (const auto& event : events.events) {
      if (event.id == id) return &event;
    }
    return nullptr;
  }

  std::wstring versionKey;
  std::wstring folder;
  std::wstring user;
  test::FakeSessions sessions;
  test::FixedClock clock;
  test::RecordingEventLog events;
  test::RecordingSystemExit exits;
  std::unique_ptr<Engine> engine;

 private:
  test::ScopedPlatform scope_;
};

TEST_F(EngineTest, AtTheDailyTimeEverySessionWithAUserIsLoggedOffAndRecorded) {
  sessions.List({{1, WTSActive}, {2, WTSActive}, {3, WTSActive}, {4, WTSConnected}});
  sessions.WithoutUser(3);  // the logon screen of a session being set up
  StartEngine();
  EXPECT_NE(Log().find("Session 1 (" + Narrow(user) + ") watched"), std::string::npos) << Log();
  EXPECT_NE(Log().find("Session 2 (" + Narrow(user) + ") watched"), std::string::npos) << Log();
  EXPECT_EQ(Log().find("Session 3"), std::string::npos) << Log();

  TurnAt(9, 10);
  EXPECT_EQ(sessions.loggedOff(), (std::vector<DWORD>{1, 2}));
  const auto* record = FindEvent(kEventLoggedOff);
  ASSERT_TRUE(record) << "no logoff record";
  EXPECT_EQ(record->source, L"Lullan");
  EXPECT_EQ(record->type, EVENTLOG_INFORMATION_TYPE);
  EXPECT_EQ(record->strings, (std::vector<std::wstring>{user, L"1", L"the daily logoff time 09:10 AM"}));
  EXPECT_NE(Log().find("Logged off " + Narrow(user) + " (session 2): the daily logoff time 09:10 AM\r\n"),
            std::string::npos)
      << Log();
  EXPECT_EQ(exits.calls.size(), 0u);
}

TEST_F(EngineTest, TheMachineIsShutDownOnceWhenEverySessionIsDue) {
  Set(L"Action", L"Shutdown");
  sessions.List({{1, WTSActive}, {2, WTSActive}});
  StartEngine();
  TurnAt(9, 10);
  ASSERT_EQ(exits.calls.size(), 1u);
  EXPECT_EQ(exits.calls[0].flags, static_cast<UINT>(EWX_SHUTDOWN | EWX_POWEROFF | EWX_FORCE));
  EXPECT_EQ(exits.calls[0].reason,
            static_cast<DWORD>(SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED));
  EXPECT_EQ(exits.privilegeRequests, 1);
  EXPECT_EQ(events.Ids(), (std::vector<DWORD>{kEventShutDown, kEventShutDown}));
  EXPECT_TRUE(sessions.loggedOff().empty());
}

TEST_F(EngineTest, WithoutForceExitTheSessionsAgentIsAskedToLogOff) {
  Set(L"ForceExit", 0);
  StartEngine();
  // The test plays the session's agent.
  unique_file agent;
  ASSERT_TRUE(TurnUntil([&] {
    if (!agent)
      agent.reset(
          ::CreateFileW(AgentPipeName(1).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return agent && engine->sessions().Find(1)->agentConnected;
  })) << Log();
  DWORD mode = PIPE_READMODE_MESSAGE;
  ::SetNamedPipeHandleState(agent.get(), &mode, nullptr, nullptr);

  TurnAt(9, 10);
  EXPECT_TRUE(sessions.loggedOff().empty()) << "its programs may refuse: the logoff is asked in the session";
  // The tray icon's tooltip came first.
  std::optional<Message> told;
  do {
    BYTE bytes[kLongestMessage];
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(agent.get(), bytes, sizeof bytes, &read, nullptr)) << "error " << ::GetLastError();
    told = Decode(std::span<const BYTE>(bytes, read));
  } while (told && std::holds_alternative<TrayTip>(*told));
  EXPECT_TRUE(told && std::holds_alternative<LogOff>(*told));
}

TEST_F(EngineTest, TheLogoffScriptRunsAsTheUserAndTheLogoffFollowsWhenItEnds) {
  const std::wstring script = folder + L"\\logoff.bat";
  std::ofstream(Narrow(script)) << "@echo ran> \"" << Narrow(folder) << "\\ran.txt\"\r\n";
  Set(L"RunScript", 1);
  Set(L"LogoffScript", script);
  StartEngine();
  TurnAt(9, 10);
  EXPECT_NE(Log().find("Running the logoff script"), std::string::npos) << Log();
  ASSERT_TRUE(TurnUntil([&] { return !sessions.loggedOff().empty(); })) << Log();
  EXPECT_EQ(ReadFileText(folder + L"\\ran.txt"), "ran\r\n") << "the script ran to its end first";
}

TEST_F(EngineTest, AMissingScriptIsRecordedAndTheActionGoesOn) {
  Set(L"RunScript", 1);
  Set(L"LogoffScript", folder + L"\\nowhere.bat");
  StartEngine();
  TurnAt(9, 10);
  const auto* missing = FindEvent(kEventScriptMissing);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->type, EVENTLOG_WARNING_TYPE);
  EXPECT_EQ(missing->strings, (std::vector<std::wstring>{folder + L"\\nowhere.bat", user, L"1"}));
  EXPECT_TRUE(TurnUntil([&] { return sessions.loggedOff() == std::vector<DWORD>{1}; })) << Log();
}

TEST_F(EngineTest, DryRunRecordsWhatWouldBeDoneAndDoesNothing) {
  Set(L"DryRun", 1);
  StartEngine();
  TurnAt(9, 10);
  EXPECT_TRUE(sessions.loggedOff().empty());
  EXPECT_TRUE(exits.calls.empty());
  const auto* would = FindEvent(kEventWouldAct);
  ASSERT_TRUE(would);
  EXPECT_EQ(would->strings, (std::vector<std::wstring>{user, L"1", L"the daily logoff time 09:10 AM", L"log off"}));
  EXPECT_NE(Log().find("Dry run: would log off " + Narrow(user) + " (session 1)"), std::string::npos) << Log();
}

TEST_F(EngineTest, ALogoffThatFailsIsAnErrorRecord) {
  sessions.SetLogoffResult(FALSE);
  StartEngine();
  TurnAt(9, 10);
  const auto* failed = FindEvent(kEventActionFailed);
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->type, EVENTLOG_ERROR_TYPE);
  ASSERT_EQ(failed->strings.size(), 4u);
  EXPECT_EQ(failed->strings[0], L"log off");
  EXPECT_EQ(FindEvent(kEventLoggedOff), nullptr) << "nothing claims the session was logged off";
}

TEST_F(EngineTest, ASessionThatEndsLeavesItsUserInPrevUserAndSimsFollowsTheConsole) {
  sessions.List({{1, WTSActive}, {2, WTSActive}});
  StartEngine();
  EXPECT_EQ(test::ReadDword(HKEY_LOCAL_MACHINE, versionKey, L"sims$"), 0u) << "the console's user is not idle yet";
  EXPECT_FALSE(test::ReadString(HKEY_LOCAL_MACHINE, versionKey, L"PrevUser")) << "no session has ended";
  sessions.List({{1, WTSActive}});
  engine->reports().Push(SessionsChanged{});
  engine->Turn();
  EXPECT_EQ(test::ReadString(HKEY_LOCAL_MACHINE, versionKey, L"PrevUser"), user);
  EXPECT_NE(Log().find("Session 2 (" + Narrow(user) + ") ended"), std::string::npos) << Log();
}

TEST_F(EngineTest, ALogDirThatCannotTakeTheLogSendsItToTheInstallationDirectory) {
  Set(L"LogDir", L"\\\\.\\pipe");
  StartEngine();
  const auto* refused = FindEvent(kEventLogRefused);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->type, EVENTLOG_WARNING_TYPE);
  EXPECT_EQ(refused->strings,
            (std::vector<std::wstring>{L"\\\\.\\pipe", L"a device, not a folder", folder + L"\\lullan.log"}));
  EXPECT_NE(Log().find("Error: can't open log file in \"\\\\.\\pipe\": a device, not a folder; logging to \"" +
                       Narrow(folder) + "\" instead"),
            std::string::npos)
      << Log();
}

// A session whose agent cannot start, or whose pipe someone else holds,
// would otherwise fill the event log: each is recorded once, and tried again.
TEST_F(EngineTest, AnAgentOrPipeThatCannotStartIsRecordedOnceAndTriedAgain) {
  unique_file squatter(
      ::CreateNamedPipeW(AgentPipeName(1).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, 1, 0, 0, 0, nullptr));
  ASSERT_TRUE(squatter);
  StartEngine(folder + L"\\missing.exe");
  for (int rescan = 0; rescan < 3; ++rescan) {
    ASSERT_TRUE(TurnUntil([&] { return !engine->sessions().Find(1)->pipeOpen; })) << "the pipe did not fail";
    engine->reports().Push(SessionsChanged{});  // the next look at the sessions tries again
    engine->Turn();
  }
  int agentRecords = 0;
  int pipeRecords = 0;
  for (const auto& event : events.events) {
    agentRecords += event.id == kEventAgentFailed;
    pipeRecords += event.id == kEventPipeFailed;
  }
  EXPECT_EQ(agentRecords, 1) << Log();
  EXPECT_EQ(pipeRecords, 1) << Log();
  size_t attempts = 0;
  for (size_t at = Log().find("cannot start"); at != std::string::npos; at = Log().find("cannot start", at + 1))
    ++attempts;
  EXPECT_GE(attempts, 3u) << "the agent is tried again\n" << Log();
}

TEST_F(EngineTest, AnAgentThatEndsIsStartedAgainAndStoppingEndsTheAgents) {
  StartEngine();
  WatchedSession* session = engine->sessions().Find(1);
  ASSERT_TRUE(session && session->agent) << Log();
  unique_handle first(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, session->agentProcessId));
  ASSERT_TRUE(first);
  ::TerminateProcess(first.get(), 9);
  ::WaitForSingleObject(first.get(), 5000);
  ASSERT_TRUE(TurnUntil([&] { return session->agent && ::WaitForSingleObject(session->agent.get(), 0) != 0; }));
  EXPECT_NE(Log().find("The agent of session 1 ended (exit code 9)"), std::string::npos) << Log();

  unique_handle second(::OpenProcess(SYNCHRONIZE, FALSE, session->agentProcessId));
  ASSERT_TRUE(second);
  engine->Stop();
  // The stub does not answer Quit: it is ended when its time is up.
  EXPECT_EQ(::WaitForSingleObject(second.get(), 0), WAIT_OBJECT_0) << "the agent outlived the service";
  EXPECT_NE(Log().find("The agent of session 1 did not quit; ended"), std::string::npos) << Log();
}

// The configuration changes while the engine runs, as the console, setup's
// sheet or the monitor change it: it applies within seconds.
TEST_F(EngineTest, AChangedConfigurationAppliesWithoutARestart) {
  test::WriteDword(HKEY_LOCAL_MACHINE, versionKey + L"\\Groups", L"mNight Shift", 60);
  StartEngine();
  unique_handle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread running([&] { engine->Run(stop.get()); });
  auto logShows = [&](const std::string& text) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
      if (Log().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  };
  Set(L"IdleMinutes", 7);
  EXPECT_TRUE(logShows("Configuration: Logoff after 7 idle minutes")) << Log();
  // A value of the Groups subkey that exists already: only a watch of the subtree sees it.
  test::WriteDword(HKEY_LOCAL_MACHINE, versionKey + L"\\Groups", L"mSales", 45);
  EXPECT_TRUE(logShows("; 2 monitored groups")) << Log();
  ::SetEvent(stop.get());
  running.join();
}

// The session's agent in process, on the test's thread, connected to the
// engine's pipe as the real agent is: what the user of the session sees.
class UserSideTest : public EngineTest {
 protected:
  UserSideTest() {
    desktopScope_.Use(desktop);
    Set(L"IdleMinutes", 30);
  }
  ~UserSideTest() override {
    agent.reset();
    ::DeleteFileW(wave.c_str());
  }

  // Starts the engine and connects the agent of session 1 to it.
  void StartAgent() {
    StartEngine();
    ASSERT_TRUE(link.Connect(AgentPipeName(1), 5000)) << "error " << ::GetLastError();
    link.Send(Hello{});
    agent = std::make_unique<CAgentDlg>(link, sampler);
    ASSERT_TRUE(agent->Create(nullptr));
    ASSERT_TRUE(Until([&] { return engine->sessions().Find(1)->agentConnected; })) << Log();
  }
  // Turns the engine and runs the agent (its pipe and its windows) until `done`.
  bool Until(const std::function<bool()>& done, std::chrono::milliseconds limit = 8s) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
      engine->Turn();
      for (const Message& message : link.Pump()) agent->OnServiceMessage(message);
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (agent->CountdownMessage(&message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
      if (done()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return done();
  }
  bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
  void WriteWave() {
    wave = folder + L"\\chime.wav";
    std::ofstream(Narrow(wave), std::ios::binary) << "RIFF....WAVEfmt ";
  }

  test::RecordingDesktop desktop;
  test::DialogAnswerer dialogs;
  AgentLink link;
  InputSampler sampler{InputSampler::Hooks::kNone};
  std::unique_ptr<CAgentDlg> agent;
  std::wstring wave;

 private:
  test::ScopedPlatform desktopScope_;
};

TEST_F(UserSideTest, TheCountdownShowsWhatHappensAndCancelRestartsTheIdlePeriodInFull) {
  Set(L"UseCancelDlg", 1);
  Set(L"CountdownSeconds", 4);
  Set(L"EnableUserCancel", 1);
  Set(L"CustomMessage", L"Save your work: the lab closes at ten past nine.");
  WriteWave();
  Set(L"WavFile", wave);
  Set(L"PlaySound", 1);
  HWND countdown = nullptr;
  dialogs.Answer([&](HWND dialog) { countdown = dialog; });
  StartAgent();
  ASSERT_TRUE(Until([&] { return desktop.Tooltip().has_value(); })) << "no tray icon";
  EXPECT_EQ(desktop.iconCalls.front().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(desktop.iconCalls.front().hasIcon);

  TurnAt(9, 10);
  ASSERT_TRUE(Until([&] { return countdown != nullptr; })) << Log();
  Until([] { return false; }, 300ms);
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(countdown, IDCANCEL)) << "Cancel has the focus";
  EXPECT_TRUE(::GetWindowLongW(countdown, GWL_EXSTYLE) & WS_EX_TOPMOST);
  test::DialogAnswerer::PressButton(countdown, IDCANCEL);
  ASSERT_TRUE(Until([&] { return Logged("cancelled the countdown"); })) << Log() << Narrow(dialogs.Describe());
  ASSERT_EQ(dialogs.seen().size(), 1u) << Narrow(dialogs.Describe());
  EXPECT_EQ(dialogs.seen()[0].caption, L"Lullan");
  EXPECT_EQ(dialogs.seen()[0].Text(),
            L"You will be logged off in 4 seconds. | Reason: the daily logoff time 09:10 AM. | Save your work: the lab "
            L"closes at ten past nine.");
  EXPECT_FALSE(::IsWindow(countdown)) << "Cancel closes the countdown";
  ASSERT_EQ(desktop.sounds.size(), 1u) << "the sound plays once, when the countdown starts";
  EXPECT_EQ(desktop.sounds[0].file, wave);
  EXPECT_EQ(desktop.sounds[0].flags, static_cast<DWORD>(SND_ASYNC | SND_NODEFAULT));
  ASSERT_TRUE(FindEvent(kEventCountdownCancelled)) << Log();
  EXPECT_EQ(FindEvent(kEventCountdownCancelled)->strings,
            (std::vector<std::wstring>{user, L"1", L"the daily logoff time 09:10 AM"}));

  // The countdown's seconds pass: nothing happens, and the user has a whole idle period again.
  Until([] { return false; }, 5s);
  EXPECT_TRUE(sessions.loggedOff().empty()) << Log();
  EXPECT_EQ(desktop.Tooltip(), L"Idle logoff in 30 minutes; every day at 09:10 AM");

  // Explorer restarts: the icon comes back.
  size_t calls = desktop.iconCalls.size();
  ::SendMessageW(agent->window(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(desktop.iconCalls.size(), calls + 1);
  EXPECT_EQ(desktop.iconCalls.back().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(desktop.iconCalls.back().tip, L"Idle logoff in 30 minutes; every day at 09:10 AM");
}

TEST_F(UserSideTest, WithoutEnableUserCancelThereIsNoCancelAndNothingStopsTheCountdown) {
  Set(L"UseCancelDlg", 1);
  Set(L"CountdownSeconds", 2);
  Set(L"UseTray", 0);
  HWND countdown = nullptr;
  bool cancelShown = true;
  dialogs.Answer([&](HWND dialog) {
    countdown = dialog;
    cancelShown = ::IsWindowVisible(::GetDlgItem(dialog, IDCANCEL)) != FALSE;
    test::DialogAnswerer::PressButton(dialog, IDCANCEL);  // Esc
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);   // Alt+F4
  });
  StartAgent();
  TurnAt(9, 10);
  ASSERT_TRUE(Until([&] { return countdown != nullptr; })) << Log();
  EXPECT_FALSE(cancelShown);
  Until([] { return false; }, 1s);
  EXPECT_TRUE(::IsWindow(countdown)) << "Esc and Alt+F4 closed the countdown";
  EXPECT_TRUE(sessions.loggedOff().empty()) << "acted before the countdown ran out";
  ASSERT_TRUE(Until([&] { return !sessions.loggedOff().empty(); })) << Log();
  EXPECT_EQ(sessions.loggedOff(), std::vector<DWORD>{1});
  EXPECT_FALSE(Logged("cancelled")) << Log();
  EXPECT_TRUE(desktop.iconCalls.empty()) << "UseTray off: no icon";
}

TEST_F(UserSideTest, WithoutACountdownTheActionIsAtOnceAndASoundThatCannotBePlayedIsLogged) {
  Set(L"WavFile", folder + L"\\missing.wav");
  Set(L"PlaySound", 1);
  StartAgent();
  TurnAt(9, 10);
  EXPECT_EQ(sessions.loggedOff(), std::vector<DWORD>{1}) << "no countdown: the action at once";
  ASSERT_TRUE(Until([&] { return FindEvent(kEventSoundFailed) != nullptr; })) << Log();
  EXPECT_EQ(FindEvent(kEventSoundFailed)->strings[0], folder + L"\\missing.wav");
  EXPECT_EQ(FindEvent(kEventSoundFailed)->type, EVENTLOG_WARNING_TYPE);
  EXPECT_TRUE(desktop.sounds.empty());
  EXPECT_TRUE(dialogs.seen().empty()) << Narrow(dialogs.Describe());
}

TEST_F(UserSideTest, APresentationInTheForegroundReachesTheEngine) {
  StartAgent();
  desktop.notificationState = UserDesktop::kPresentationMode;
  ASSERT_TRUE(Until([&] { return engine->sessions().Find(1)->displayKeptOn; })) << Log();
  desktop.notificationState = UserDesktop::kAcceptsNotifications;
  desktop.executionState = ES_USER_PRESENT | ES_DISPLAY_REQUIRED;  // a video call's display request
  Until([] { return false; }, 2s);
  EXPECT_TRUE(engine->sessions().Find(1)->displayKeptOn);
  desktop.executionState = ES_USER_PRESENT;
  EXPECT_TRUE(Until([&] { return !engine->sessions().Find(1)->displayKeptOn; }));
}

TEST_F(UserSideTest, ACancelTheServiceDidNotOfferIsIgnored) {
  Set(L"UseCancelDlg", 1);
  Set(L"CountdownSeconds", 2);
  dialogs.Answer([](HWND) {});
  StartAgent();
  TurnAt(9, 10);
  ASSERT_TRUE(Until([&] { return Logged("Countdown of 2 seconds"); })) << Log();
  link.Send(Cancel{});  // any program of the session can write to the pipe
  ASSERT_TRUE(Until([&] { return !sessions.loggedOff().empty(); })) << Log();
  EXPECT_TRUE(Logged("no countdown it may cancel runs: ignored")) << Log();
}

TEST(ServiceHost, AResumeFromSleepIsTheOnlyPowerEventThatWakesTheEngine) {
  EXPECT_TRUE(IsResume(SERVICE_CONTROL_POWEREVENT, PBT_APMRESUMEAUTOMATIC));
  EXPECT_TRUE(IsResume(SERVICE_CONTROL_POWEREVENT, PBT_APMRESUMESUSPEND));
  EXPECT_FALSE(IsResume(SERVICE_CONTROL_POWEREVENT, PBT_APMSUSPEND));
  EXPECT_FALSE(IsResume(SERVICE_CONTROL_POWEREVENT, PBT_APMPOWERSTATUSCHANGE));
  EXPECT_FALSE(IsResume(SERVICE_CONTROL_SESSIONCHANGE, PBT_APMRESUMEAUTOMATIC));
}

TEST_F(EngineTest, AtResumeTheEngineLooksAgainAtOnce) {
  StartEngine();
  engine->reports().Push(Resumed{});
  engine->Turn();
  EXPECT_NE(Log().find("resumed from sleep"), std::string::npos) << Log();
}

// With nobody logged on (LogonScreenShutdownMinutes), the machine goes down
// forced; a dry run records it; a failure is recorded without a user.
TEST(ActionRunner, NobodyLoggedOnShutsTheMachineDownOrRecordsItInADryRun) {
  test::RecordingEventLog events;
  test::RecordingSystemExit exits;
  test::ScopedPlatform scope;
  scope.Use(events).Use(exits);
  EngineReports reports;
  AgentChannels channels(reports);
  SessionWatcher sessions;
  EngineLog log;
  ActionRunner runner(log, channels, sessions);
  Step step{};
  step.kind = Step::kShutDown;
  step.session = kNoSession;
  step.rule = Rule{Rule::kLogonScreen, 20, 0, {}};
  step.force = true;
  const EngineConfig config;

  step.dryRun = true;
  EXPECT_TRUE(runner.Run({step}, config).empty());
  EXPECT_TRUE(exits.calls.empty()) << "a dry run shuts nothing down";
  step.dryRun = false;
  EXPECT_TRUE(runner.Run({step}, config).empty());
  ASSERT_EQ(exits.calls.size(), 1u);
  EXPECT_EQ(exits.calls[0].flags, static_cast<UINT>(EWX_SHUTDOWN | EWX_POWEROFF | EWX_FORCE));
  exits.exitResult = FALSE;
  EXPECT_EQ(runner.Run({step}, config), std::vector<DWORD>{kNoSession}) << "the wait starts again";

  EXPECT_EQ(events.Ids(), (std::vector<DWORD>{kEventLogonScreenWouldShutDown, kEventLogonScreenShutDown,
                                              kEventLogonScreenShutDown, kEventActionFailed}));
  EXPECT_EQ(events.events[1].strings, std::vector<std::wstring>{L"20"});
  EXPECT_EQ(std::vector<std::wstring>(events.events[3].strings.begin(), events.events[3].strings.begin() + 3),
            (std::vector<std::wstring>{L"shut the computer down", L"nobody logged on", L"none"}));
}

}  // namespace
}  // namespace lullan::engine
