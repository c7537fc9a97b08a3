// The engine's decisions over a fixed clock, one row per behaviour an
// administrator configures: each row is a workstation's sessions, the
// configuration, and what the engine does as the minutes pass.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "action_runner.h"  // RuleText, HoldText
#include "decisions.h"
#include "packed_time.h"
#include "text_format.h"

namespace lullan::engine {
namespace {

constexpr Tick Min(double minutes) { return static_cast<Tick>(minutes * kMinute); }

// The local time `at` after `start` (Monday 7 December 2026, 09:00 unless told).
SYSTEMTIME LocalAt(Tick at, WORD startHour = 9, WORD startMinute = 0) {
  SYSTEMTIME start{2026, 12, 1, 7, startHour, startMinute, 0, 0};
  FILETIME file;
  ::SystemTimeToFileTime(&start, &file);
  ULARGE_INTEGER value{{file.dwLowDateTime, file.dwHighDateTime}};
  value.QuadPart += at * 10000;
  file = FILETIME{value.LowPart, value.HighPart};
  SYSTEMTIME local;
  ::FileTimeToSystemTime(&file, &local);
  return local;
}

std::string Describe(const std::vector<Step>& steps) {
  static const char* const kKinds[] = {"Skip",     "RunScript", "LogOff",    "ForceLogOff",
                                       "ShutDown", "Reboot",    "Countdown", "Cancelled"};
  std::ostringstream text;
  for (const Step& step : steps) {
    if (text.tellp() > 0) text << "; ";
    text << kKinds[step.kind] << " ";
    if (step.session == kNoSession) {
      text << "machine";
    } else {
      text << step.session;
    }
    text << " (" << Narrow(RuleText(step.rule));
    if (step.kind == Step::kSkip) text << ": " << Narrow(HoldText(step.hold));
    text << ")";
    bool acts = step.kind != Step::kSkip && step.kind != Step::kRunScript && step.kind != Step::kCountdown &&
                step.kind != Step::kCancelled;
    if (step.force && acts) text << " forced";
    if (step.instead) text << " instead";
    if (step.dryRun) text << " dry";
  }
  return text.str();
}

SessionFacts Session(DWORD id, const EngineConfig& config, std::vector<std::wstring> groups = {}) {
  SessionFacts facts;
  facts.id = id;
  facts.user = L"user" + std::to_wstring(id);
  facts.limit = LimitFor(config, groups);
  return facts;
}

// One moment of a row: what changes just before, and what the engine does then.
struct Moment {
  Tick at;
  std::string expected;
  std::function<void(std::vector<SessionFacts>&)> change = nullptr;
  std::optional<DWORD> network = std::nullopt;  // bytes per second over the last minute
};

struct Row {
  const char* behaviour;
  std::function<void(EngineConfig&)> configure;
  std::vector<std::vector<std::wstring>> sessionGroups;  // one entry per session (ids 1, 2...)
  std::vector<Moment> moments;
  WORD startHour = 9;
  WORD startMinute = 0;
};

void Input(std::vector<SessionFacts>& sessions, Tick at, size_t index = 0) {
  sessions[index].lastInput = sessions[index].lastKeyInput = at;
}

constexpr Tick Sec(double seconds) { return static_cast<Tick>(seconds * 1000); }

void Countdown(EngineConfig& c, bool userMayCancel) {
  c.useCancelDlg = true;
  c.countdownSeconds = 10;
  c.enableUserCancel = userMayCancel;
}

void Disconnect(std::vector<SessionFacts>& sessions, Tick at, size_t index) {
  sessions[index].connected = false;
  sessions[index].disconnectedAt = at;
}

void Present(std::vector<SessionFacts>& sessions, const wchar_t* program) {
  sessions[0].displayKeptOn = program != nullptr;
  sessions[0].foregroundImage = program ? program : L"";
}

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {"IdleMinutes: a user idle that long is logged off",
       [](EngineConfig&) {},
       {{}},
       {{Min(29.9), ""}, {Min(30), "LogOff 1 (idle 30 minutes) forced"}}},
      {"input starts the idle period again",
       [](EngineConfig&) {},
       {{}},
       {{Min(20), "", [](auto& s) { Input(s, Min(20)); }},
        {Min(30), ""},
        {Min(50), "LogOff 1 (idle 30 minutes) forced"}}},
      {"MonitorMouse off: mouse movement alone is no activity",
       [](EngineConfig&) {},
       {{}},
       {{Min(30), "LogOff 1 (idle 30 minutes) forced", [](auto& s) { s[0].lastInput = Min(20); }}}},
      {"MonitorMouse on: mouse movement is activity",
       [](EngineConfig& c) { c.monitorMouse = true; },
       {{}},
       {{Min(30), "", [](auto& s) { s[0].lastInput = Min(20); }}, {Min(50), "LogOff 1 (idle 30 minutes) forced"}}},
      {"a minutes group's idle minutes replace IdleMinutes",
       [](EngineConfig&) {},
       {{L"Sales"}},
       {{Min(30), ""}, {Min(45), "LogOff 1 (idle 45 minutes (group Sales)) forced"}}},
      {"group names are compared without regard to case",
       [](EngineConfig&) {},
       {{L"SALES"}},
       {{Min(45), "LogOff 1 (idle 45 minutes (group Sales)) forced"}}},
      {"a clock-time group's user is logged off at its time, idle or not",
       [](EngineConfig&) {},
       {{L"Night"}},
       {{Min(30), "", [](auto& s) { Input(s, Min(30)); }},
        {Min(59), "", [](auto& s) { Input(s, Min(59)); }},
        {Min(60), "LogOff 1 (the time 10:00 AM of group Night) forced"}}},
      {"EnableDailyLogoff: every session at the daily time, idle or not",
       [](EngineConfig& c) {
         c.enableDailyLogoff = true;
         c.dailyLogoffTime = PackTime(9, 10);
       },
       {{}, {}},
       {{Min(9), "",
         [](auto& s) {
           Input(s, Min(9));
           Input(s, Min(9), 1);
         }},
        {Min(10), "LogOff 1 (the daily logoff time 09:10 AM) forced; LogOff 2 (the daily logoff time 09:10 AM) forced"},
        {Min(10.5), ""}}},
      {"the daily time across midnight",
       [](EngineConfig& c) {
         c.enableDailyLogoff = true;
         c.dailyLogoffTime = PackTime(0, 0);
       },
       {{}},
       {{Min(1), ""}, {Min(2), "LogOff 1 (the daily logoff time 12:00 AM) forced"}},
       23,
       58},
      {"a daily time missed while the clock jumped (or the service was off) is not made up",
       [](EngineConfig& c) {
         c.enableDailyLogoff = true;
         c.dailyLogoffTime = PackTime(9, 10);
       },
       {{}},
       {{Min(5), "", [](auto& s) { Input(s, Min(5)); }}, {Min(15), "", [](auto& s) { Input(s, Min(15)); }}}},
      {"Shutdown with a second session not yet due logs the due one off instead",
       [](EngineConfig& c) { c.action = config::Action::Shutdown; },
       {{}, {}},
       {{Min(20), "", [](auto& s) { Input(s, Min(20), 1); }},
        {Min(30), "LogOff 1 (idle 30 minutes) forced instead"},
        {Min(50), "ShutDown 2 (idle 30 minutes) forced", [](auto& s) { s.erase(s.begin()); }}}},
      {"Shutdown when every session is due",
       [](EngineConfig& c) { c.action = config::Action::Shutdown; },
       {{}, {}},
       {{Min(30), "ShutDown 1 (idle 30 minutes) forced; ShutDown 2 (idle 30 minutes) forced"}}},
      {"Reboot when the only session is due",
       [](EngineConfig& c) { c.action = config::Action::Reboot; },
       {{}},
       {{Min(30), "Reboot 1 (idle 30 minutes) forced"}}},
      {"a disconnected session not yet due keeps the machine up",
       [](EngineConfig& c) { c.action = config::Action::Reboot; },
       {{}, {}},
       {{Min(30), "LogOff 1 (idle 30 minutes) forced instead", [](auto& s) { Disconnect(s, Min(29), 1); }},
        {Min(58.9), ""},
        {Min(59), "LogOff 2 (idle 30 minutes) forced instead"}}},
      {"ForceExit off: programs may refuse; a session still there a minute later is forced",
       [](EngineConfig& c) { c.forceExit = false; },
       {{}},
       {{Min(30), "LogOff 1 (idle 30 minutes)"}, {Min(30.9), ""}, {Min(31), "ForceLogOff 1 (idle 30 minutes) forced"}}},
      {"a forced logoff that leaves the session waits a whole idle period before trying again",
       [](EngineConfig&) {},
       {{}},
       {{Min(30), "LogOff 1 (idle 30 minutes) forced"},
        {Min(31), ""},
        {Min(60.9), ""},
        {Min(61), "LogOff 1 (idle 30 minutes) forced"}}},
      {"RunScript: the script runs first, and the logoff follows when it ends",
       [](EngineConfig& c) { c.runScript = true; },
       {{}},
       {{Min(30), "RunScript 1 (idle 30 minutes)", [](auto& s) { s[0].scriptRunning = true; }},
        {Min(30.5), ""},
        {Min(30.6), "LogOff 1 (idle 30 minutes) forced", [](auto& s) { s[0].scriptRunning = false; }}}},
      {"RunScript: a script still running after 60 s is not waited for",
       [](EngineConfig& c) { c.runScript = true; },
       {{}},
       {{Min(30), "RunScript 1 (idle 30 minutes)", [](auto& s) { s[0].scriptRunning = true; }},
        {Min(30.99), ""},
        {Min(31), "LogOff 1 (idle 30 minutes) forced"}}},
      {"RunScript with Shutdown: the machine waits for every session's script",
       [](EngineConfig& c) {
         c.runScript = true;
         c.action = config::Action::Shutdown;
       },
       {{}, {}},
       {{Min(30), "RunScript 1 (idle 30 minutes); RunScript 2 (idle 30 minutes)",
         [](auto& s) { s[0].scriptRunning = s[1].scriptRunning = true; }},
        {Min(30.2), "", [](auto& s) { s[0].scriptRunning = false; }},
        {Min(30.4), "ShutDown 1 (idle 30 minutes) forced; ShutDown 2 (idle 30 minutes) forced",
         [](auto& s) { s[1].scriptRunning = false; }}}},
      {"OnlyLogoffIfLocked: an unlocked session is left, recorded once per idle period",
       [](EngineConfig& c) { c.onlyIfLocked = true; },
       {{}},
       {{Min(30), "Skip 1 (idle 30 minutes: the workstation is not locked)"},
        {Min(40), ""},
        {Min(45), "", [](auto& s) { Input(s, Min(45)); }},
        {Min(75), "Skip 1 (idle 30 minutes: the workstation is not locked)"},
        {Min(80), "LogOff 1 (idle 30 minutes) forced", [](auto& s) { s[0].locked = true; }}}},
      {"OnlyLogoffIfScreenSaver: acted on once the screen saver runs",
       [](EngineConfig& c) { c.onlyIfScreenSaver = true; },
       {{}},
       {{Min(30), "Skip 1 (idle 30 minutes: the screen saver is not running)"},
        {Min(31), "LogOff 1 (idle 30 minutes) forced", [](auto& s) { s[0].screenSaverRunning = true; }}}},
      {"the daily time is not held by OnlyLogoffIfLocked",
       [](EngineConfig& c) {
         c.onlyIfLocked = true;
         c.enableDailyLogoff = true;
         c.dailyLogoffTime = PackTime(9, 10);
       },
       {{}},
       {{Min(9), "", [](auto& s) { Input(s, Min(9)); }},
        {Min(10), "LogOff 1 (the daily logoff time 09:10 AM) forced"}}},
      {"network traffic above NetBytesSec postpones, by one idle period at the most",
       [](EngineConfig&) {},
       {{}},
       {{Min(30), "", nullptr, 200},
        {Min(59.9), "", nullptr, 200},
        {Min(60), "LogOff 1 (idle 30 minutes) forced", nullptr, 200}}},
      {"traffic at NetBytesSec or below is no activity",
       [](EngineConfig&) {},
       {{}},
       {{Min(30), "LogOff 1 (idle 30 minutes) forced", nullptr, 100}}},
      {"IgnoreNet: traffic is no activity",
       [](EngineConfig& c) { c.ignoreNet = true; },
       {{}},
       {{Min(30), "LogOff 1 (idle 30 minutes) forced", nullptr, 5000}}},
      {"a busy program postpones, by one idle period at the most",
       [](EngineConfig&) {},
       {{}},
       {{Min(30), "", [](auto& s) { s[0].lastBusy = Min(29); }},
        {Min(59), "", [](auto& s) { s[0].lastBusy = Min(58); }},
        {Min(60), "LogOff 1 (idle 30 minutes) forced", [](auto& s) { s[0].lastBusy = Min(60); }}}},
      {"UseCancelDlg: the countdown first, the action when it ends",
       [](EngineConfig& c) { Countdown(c, false); },
       {{}},
       {{Min(30), "Countdown 1 (idle 30 minutes)"},
        {Min(30) + Sec(9.9), ""},
        {Min(30) + Sec(10), "LogOff 1 (idle 30 minutes) forced"}}},
      {"without EnableUserCancel input during the countdown changes nothing",
       [](EngineConfig& c) { Countdown(c, false); },
       {{}},
       {{Min(30), "Countdown 1 (idle 30 minutes)"},
        {Min(30) + Sec(5), "", [](auto& s) { Input(s, Min(30) + Sec(4)); }},
        {Min(30) + Sec(10), "LogOff 1 (idle 30 minutes) forced"}}},
      {"EnableUserCancel: any input ends the countdown and the idle period starts again in full",
       [](EngineConfig& c) { Countdown(c, true); },
       {{}},
       {{Min(30), "Countdown 1 (idle 30 minutes)"},
        {Min(30) + Sec(5), "Cancelled 1 (idle 30 minutes)", [](auto& s) { s[0].lastInput = Min(30) + Sec(4); }},
        {Min(30) + Sec(10), ""},
        {Min(60) + Sec(3.9), ""},
        {Min(60) + Sec(4), "Countdown 1 (idle 30 minutes)"}}},
      {"the daily time cancelled is postponed to the next day",
       [](EngineConfig& c) {
         Countdown(c, true);
         c.enableDailyLogoff = true;
         c.dailyLogoffTime = PackTime(9, 10);
       },
       {{}},
       {{Min(9), "", [](auto& s) { Input(s, Min(9)); }},
        {Min(10), "Countdown 1 (the daily logoff time 09:10 AM)"},
        {Min(10) + Sec(3), "Cancelled 1 (the daily logoff time 09:10 AM)", [](auto& s) { Input(s, Min(10) + Sec(2)); }},
        {Min(11), "", [](auto& s) { Input(s, Min(11)); }},
        {Min(1449), "", [](auto& s) { Input(s, Min(1449)); }},
        {Min(1450), "Countdown 1 (the daily logoff time 09:10 AM)"}}},
      {"a machine that slept past the limit decides at its first look after resuming",
       [](EngineConfig& c) { Countdown(c, false); },
       {{}},
       {{Min(10), "", [](auto& s) { Input(s, Min(10)); }}, {Min(55), "Countdown 1 (idle 30 minutes)"}}},
      {"a disconnected session is idle from its disconnection, and logged off alone, forced, without a countdown",
       [](EngineConfig& c) {
         Countdown(c, true);
         c.action = config::Action::Reboot;
         c.forceExit = false;
         c.onlyIfLocked = true;
       },
       {{}, {}},
       {{Min(20), "",
         [](auto& s) {
           Input(s, Min(20));
           Disconnect(s, Min(20), 1);
         }},
        {Min(45), "", [](auto& s) { Input(s, Min(45)); }},
        {Min(49.9), ""},
        {Min(50), "LogOff 2 (idle 30 minutes) forced instead"}}},
      {"a program keeping the display on keeps its session active",
       [](EngineConfig&) {},
       {{}},
       {{Min(30), "", [](auto& s) { Present(s, L"POWERPNT.EXE"); }},
        {Min(50), ""},
        {Min(60), "", [](auto& s) { Present(s, nullptr); }},
        {Min(79.9), ""},
        {Min(80), "LogOff 1 (idle 30 minutes) forced"}}},
      {"ExcludeFiles: a program listed there keeps the display on in vain",
       [](EngineConfig& c) { c.excludeFiles = {L"vlc"}; },
       {{}},
       {{Min(30), "LogOff 1 (idle 30 minutes) forced", [](auto& s) { Present(s, L"VLC.exe"); }}}},
      {"LogonScreenShutdownMinutes: nobody logged on that long shuts the machine down",
       [](EngineConfig& c) { c.logonScreenShutdownMinutes = 20; },
       {{}},
       {{Min(5), "", [](auto& s) { s.clear(); }},
        {Min(24.9), ""},
        {Min(25), "ShutDown machine (nobody logged on for 20 minutes) forced"}}},
      {"LogonScreenShutdownMinutes in a dry run: recorded after each wait",
       [](EngineConfig& c) {
         c.logonScreenShutdownMinutes = 20;
         c.dryRun = true;
       },
       {},
       {{Min(20), "ShutDown machine (nobody logged on for 20 minutes) forced dry"},
        {Min(39.9), ""},
        {Min(40), "ShutDown machine (nobody logged on for 20 minutes) forced dry"}}},
      {"LogonScreenShutdownMinutes 0: the logon screen stays", [](EngineConfig&) {}, {}, {{Min(600), ""}}},
      {"DryRun: recorded, and the idle period starts again",
       [](EngineConfig& c) { c.dryRun = true; },
       {{}},
       {{Min(30), "LogOff 1 (idle 30 minutes) forced dry"},
        {Min(59), ""},
        {Min(60), "LogOff 1 (idle 30 minutes) forced dry"}}},
  };
  return rows;
}

EngineConfig BaseConfig() {
  EngineConfig config;
  config.groups = {{L"Sales", config::GroupKind::Minutes, 45},
                   {L"Night", config::GroupKind::ClockTime, PackTime(10, 0)}};
  return config;
}

TEST(Decisions, EveryRowOfTheConfiguration) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.behaviour);
    EngineConfig config = BaseConfig();
    row.configure(config);
    std::vector<SessionFacts> sessions;
    for (size_t i = 0; i < row.sessionGroups.size(); ++i)
      sessions.push_back(Session(static_cast<DWORD>(i + 1), config, row.sessionGroups[i]));
    Decider decider(config);
    // The engine decides right after it starts: no clock time is taken then.
    decider.Decide(0, LocalAt(0, row.startHour, row.startMinute), sessions, std::nullopt);
    for (const Moment& moment : row.moments) {
      if (moment.change) moment.change(sessions);
      std::string actual = Describe(
          decider.Decide(moment.at, LocalAt(moment.at, row.startHour, row.startMinute), sessions, moment.network));
      EXPECT_EQ(moment.expected, actual) << "at minute " << static_cast<double>(moment.at) / kMinute;
    }
  }
}

// A user in two minutes groups (20 and 40 minutes) and two clock-time groups
// (01:00 PM and 05:00 PM), under every combination of the three policies.
TEST(Decisions, GroupPoliciesDecideForAUserInSeveralGroups) {
  EngineConfig config;
  config.groups = {{L"Short", config::GroupKind::Minutes, 20},
                   {L"Long", config::GroupKind::Minutes, 40},
                   {L"Late", config::GroupKind::ClockTime, PackTime(17, 0)},
                   {L"Early", config::GroupKind::ClockTime, PackTime(13, 0)},
                   {L"Other", config::GroupKind::Minutes, 5}};
  const std::vector<std::wstring> user = {L"Domain Users", L"short", L"Long", L"Late", L"Early"};
  struct Case {
    DWORD maxPol, dltPol, valPol;
    const char* expected;
  };
  for (const Case& c :
       {Case{0, 0, 0, "idle 40 minutes (group Long)"}, Case{1, 0, 0, "idle 20 minutes (group Short)"},
        Case{0, 0, 1, "the time 01:00 PM of group Early"}, Case{0, 1, 1, "the time 05:00 PM of group Late"},
        Case{1, 1, 0, "idle 20 minutes (group Short)"}}) {
    config.multiGroupMaxPol = c.maxPol;
    config.multiGroupDltPol = c.dltPol;
    config.multiGroupValPol = c.valPol;
    EXPECT_EQ(c.expected, Narrow(RuleText(LimitFor(config, user))))
        << "MultiGroupMaxPol " << c.maxPol << ", MultiGroupDltPol " << c.dltPol << ", MultiGroupValPol " << c.valPol;
  }
  // Groups of one kind only: the value policy has nothing to choose.
  config.multiGroupValPol = 1;
  EXPECT_EQ("idle 20 minutes (group Short)",
            Narrow(RuleText(LimitFor(config, std::vector<std::wstring>{L"Short", L"Long"}))));
  config.multiGroupValPol = 0;
  EXPECT_EQ("the time 05:00 PM of group Late",
            Narrow(RuleText(LimitFor(config, std::vector<std::wstring>{L"Early", L"Late"}))));
  EXPECT_EQ("idle 30 minutes", Narrow(RuleText(LimitFor(config, std::vector<std::wstring>{L"Domain Users"}))));
}

TEST(Decisions, ARestartedSessionWaitsAWholeIdlePeriodAgain) {
  EngineConfig config;
  std::vector<SessionFacts> sessions = {Session(1, config)};
  Decider decider(config);
  EXPECT_EQ("LogOff 1 (idle 30 minutes) forced", Describe(decider.Decide(Min(30), LocalAt(Min(30)), sessions, {})));
  decider.Restart(1, Min(30));  // the logoff failed
  EXPECT_EQ("", Describe(decider.Decide(Min(59), LocalAt(Min(59)), sessions, {})));
  EXPECT_EQ(std::optional<Tick>(Min(60)), decider.NextDeadline()) << "the engine wakes when the session is due";
  EXPECT_EQ("LogOff 1 (idle 30 minutes) forced", Describe(decider.Decide(Min(60), LocalAt(Min(60)), sessions, {})));
}

TEST(Decisions, CancelRestartsTheIdlePeriodOnlyWhereTheUserMayCancel) {
  for (bool userMayCancel : {false, true}) {
    SCOPED_TRACE(userMayCancel ? "EnableUserCancel on" : "EnableUserCancel off");
    EngineConfig config;
    Countdown(config, userMayCancel);
    std::vector<SessionFacts> sessions = {Session(1, config)};
    Decider decider(config);
    EXPECT_FALSE(decider.Cancel(1, Min(29))) << "no countdown runs yet";
    EXPECT_EQ("Countdown 1 (idle 30 minutes)", Describe(decider.Decide(Min(30), LocalAt(Min(30)), sessions, {})));
    EXPECT_EQ(userMayCancel, decider.Cancel(1, Min(30) + Sec(2)));
    EXPECT_EQ(userMayCancel ? "" : "LogOff 1 (idle 30 minutes) forced",
              Describe(decider.Decide(Min(30) + Sec(10), LocalAt(Min(30) + Sec(10)), sessions, {})));
    if (userMayCancel) {
      EXPECT_EQ(std::optional<Tick>(Min(60) + Sec(2)), decider.NextDeadline());
    }
  }
}

TEST(Decisions, TheDailyTimeIsTakenOnceADayEvenWhenTheClockIsSetBack) {
  EngineConfig config;
  config.enableDailyLogoff = true;
  config.dailyLogoffTime = PackTime(9, 10);
  config.forceExit = false;
  std::vector<SessionFacts> sessions = {Session(1, config)};
  Decider decider(config);
  auto at = [](WORD hour, WORD minute) { return SYSTEMTIME{2026, 12, 1, 7, hour, minute, 0, 0}; };
  decider.Decide(Min(0), at(9, 9), sessions, {});
  EXPECT_EQ("LogOff 1 (the daily logoff time 09:10 AM)", Describe(decider.Decide(Min(1), at(9, 10), sessions, {})));
  decider.Restart(1, Min(1));                      // the user refused, say; the session stays
  decider.Decide(Min(2), at(9, 8), sessions, {});  // the clock goes back two minutes
  decider.Decide(Min(3), at(9, 9), sessions, {});
  EXPECT_EQ("", Describe(decider.Decide(Min(4), at(9, 10), sessions, {})));
  // The next day it is taken again (the user has been working meanwhile).
  sessions[0].lastInput = sessions[0].lastKeyInput = Min(1440);
  decider.Decide(Min(1444), SYSTEMTIME{2026, 12, 2, 8, 9, 9, 0, 0}, sessions, {});
  EXPECT_EQ("LogOff 1 (the daily logoff time 09:10 AM)",
            Describe(decider.Decide(Min(1445), SYSTEMTIME{2026, 12, 2, 8, 9, 10, 0, 0}, sessions, {})));
}

TEST(Decisions, SimsIsWrittenWhenItChangesAndAtMostOnceAMinute) {
  OncePerMinute sims;
  EXPECT_TRUE(sims.ShouldWrite(0, Min(0))) << "the first value is written, whatever the registry held";
  EXPECT_FALSE(sims.ShouldWrite(0, Min(0.5))) << "unchanged";
  EXPECT_FALSE(sims.ShouldWrite(1, Min(0.9))) << "changed, but within the minute";
  EXPECT_EQ(sims.NextWrite(), std::optional<Tick>(Min(1))) << "the engine comes back for it";
  EXPECT_FALSE(sims.ShouldWrite(0, Min(0.95))) << "back to what is stored: nothing to write";
  EXPECT_EQ(sims.NextWrite(), std::nullopt);
  EXPECT_TRUE(sims.ShouldWrite(1, Min(1)));
  EXPECT_FALSE(sims.ShouldWrite(2, Min(1.5)));
  EXPECT_TRUE(sims.ShouldWrite(2, Min(2)));
}

TEST(Decisions, ProgramsKeepingTheProcessorBusy) {
  struct Case {
    const char* behaviour;
    std::function<void(EngineConfig&)> configure;
    const wchar_t* image;
    Tick userMs, kernelMs;  // of a 10-second interval
    bool busy;
  };
  const Case cases[] = {
      {"any program at 5 % of a processor", nullptr, L"render.exe", 500, 0, true},
      {"below 5 % it is background noise", nullptr, L"render.exe", 400, 0, false},
      {"kernel time counts", nullptr, L"copy.exe", 100, 400, true},
      {"IgnoreKernel: user time alone", [](EngineConfig& c) { c.ignoreKernel = true; }, L"copy.exe", 100, 400, false},
      {"ExcludeFiles, in any case", [](EngineConfig& c) { c.excludeFiles = {L"Render.EXE"}; }, L"render.exe", 5000, 0,
       false},
      {"ExcludeFiles without the extension, or with a folder",
       [](EngineConfig& c) {
         c.excludeFiles = {L"notepad", L"C:\\Tools\\render.exe"};
       },
       L"render.exe", 5000, 0, false},
      {"a program not excluded still counts", [](EngineConfig& c) { c.excludeFiles = {L"notepad.exe"}; }, L"render.exe",
       5000, 0, true},
      {"Explorer, sensitivity 2: like any program", nullptr, L"explorer.exe", 500, 0, true},
      {"Explorer, sensitivity 0: never", [](EngineConfig& c) { c.explorerSensitivity = 0; }, L"EXPLORER.EXE", 9000, 0,
       false},
      {"Explorer, sensitivity 1: at 25 %", [](EngineConfig& c) { c.explorerSensitivity = 1; }, L"explorer.exe", 2400, 0,
       false},
      {"Explorer, sensitivity 1: at 25 %, reached", [](EngineConfig& c) { c.explorerSensitivity = 1; }, L"explorer.exe",
       2500, 0, true},
      {"Explorer, sensitivity 3: any use", [](EngineConfig& c) { c.explorerSensitivity = 3; }, L"explorer.exe", 1, 0,
       true},
      {"Explorer, sensitivity 3: no use is no activity", [](EngineConfig& c) { c.explorerSensitivity = 3; },
       L"explorer.exe", 0, 0, false},
  };
  for (const Case& c : cases) {
    EngineConfig config;
    if (c.configure) c.configure(config);
    EXPECT_EQ(c.busy, ProgramKeptBusy(config, ProgramUse{c.image, c.userMs, c.kernelMs}, 10000)) << c.behaviour;
  }
}

}  // namespace
}  // namespace lullan::engine
