// The engine's decisions: which session is due, why, and what happens to it
// next. Pure: fed with what the watchers saw, the configuration and the
// clock, it makes no Windows call, so the tests run it over a fixed clock.
//
// A session's idle period starts with its user's last input (keys, buttons
// and the wheel; mouse movement too with MonitorMouse). Background activity
// (network traffic above NetBytesSec unless IgnoreNet, a program of the
// session that keeps the processor busy) postpones the action, but by at most
// one more idle period. A session is due when its limit has passed (the idle
// minutes, its group's minutes, or its group's clock time) or when the daily
// logoff time comes. Idle-rule actions wait while OnlyLogoffIfLocked /
// OnlyLogoffIfScreenSaver hold them (recorded once per idle period); clock
// rules do not wait.
//
// With UseCancelDlg a due session that is connected first gets its
// countdown: CountdownSeconds for its user to see what will happen. With
// EnableUserCancel, Cancel or any input ends it and the idle period starts
// again in full (a clock rule is then taken again the next day); without it
// nothing stops the countdown. A disconnected session has no input: it is
// idle from its disconnection, and is logged off alone, forced, without a
// countdown (nobody can see one). A session whose foreground program keeps
// the display on (a presentation, a call, a full-screen video) is active,
// unless that program is in ExcludeFiles. With nobody logged on, the machine
// is shut down after LogonScreenShutdownMinutes (0: never).
//
// A due session runs its logoff script first (RunScript; at most 60 s), then
// is logged off; a machine is shut down or restarted only when every session
// on it is due, otherwise the due session alone is logged off. A logoff that
// programs may refuse is forced when the session is still there 60 s later.
// In a dry run the step is emitted for the record and the session's idle
// period starts again.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine_config.h"

namespace lullan::engine {

// Milliseconds on the service's monotonic clock (GetTickCount, widened).
using Tick = unsigned long long;

inline constexpr Tick kMinute = 60000;
// How long the engine waits for a logoff script, and for a session whose
// programs may refuse the logoff, before it goes on.
inline constexpr Tick kScriptWait = kMinute;
inline constexpr Tick kRefusalWait = kMinute;

// Why a session is acted on.
struct Rule {
  enum Kind { kIdle, kGroupIdle, kGroupClockTime, kDailyTime, kLogonScreen } kind = kIdle;
  DWORD minutes = 0;     // kIdle, kGroupIdle, kLogonScreen
  DWORD packedTime = 0;  // kGroupClockTime, kDailyTime
  std::wstring group;    // kGroupIdle, kGroupClockTime

  bool IsClockRule() const { return kind == kGroupClockTime || kind == kDailyTime; }
  bool operator==(const Rule&) const = default;
};

// The limit that applies to a user in `userGroups` (names without domain,
// compared without regard to case): the idle minutes, or the monitored
// groups' under the multi-group policies.
Rule LimitFor(const EngineConfig& config, std::span<const std::wstring> userGroups);

// The session of a step taken for the machine while nobody is logged on.
inline constexpr DWORD kNoSession = MAXDWORD;

// What an idle session waits for before it is acted on.
enum class Hold { kNone, kNotLocked, kNoScreenSaver };

// One session as the watchers know it now.
struct SessionFacts {
  DWORD id = 0;
  std::wstring user;
  Rule limit;             // LimitFor its user's groups
  Tick lastInput = 0;     // any input, mouse movement included
  Tick lastKeyInput = 0;  // keys, buttons, the wheel
  Tick lastBusy = 0;      // a program of the session last kept the processor busy
  bool locked = false;
  bool screenSaverRunning = false;
  bool scriptRunning = false;  // the logoff script started for it is still running
  // A disconnected session sends no input: its idle period starts no later
  // than its disconnection; no machine action is taken while it is not due.
  bool connected = true;
  Tick disconnectedAt = 0;
  // The foreground program keeps the display on (presentation, full-screen
  // state, a display request), and its file name.
  bool displayKeptOn = false;
  std::wstring foregroundImage;
};

// What happens next to a session.
struct Step {
  enum Kind {
    kSkip,         // due by an idle rule, but held (once per idle period)
    kRunScript,    // start the logoff script as the user
    kLogOff,       // end the session
    kForceLogOff,  // still there after a logoff it could refuse: now forced
    kShutDown,     // end the machine: every session is due
    kReboot,
    kCountdown,  // show the session's user the countdown (CountdownSeconds)
    kCancelled,  // the countdown ended by its user: the idle period starts again
  } kind;
  DWORD session = 0;
  std::wstring user;
  Rule rule;
  Hold hold = Hold::kNone;  // kSkip: what holds it
  bool force = false;       // programs cannot refuse
  bool instead = false;     // kLogOff taken instead of the machine action: another session is not due
  bool dryRun = false;      // record it; nothing is done

  bool operator==(const Step&) const = default;
};

// Network traffic that counts as activity (bytes per second over the last minute).
bool NetworkCountsAsActivity(const EngineConfig& config, DWORD bytesPerSecond);

// One program's processor use over a sampling interval.
struct ProgramUse {
  std::wstring image;  // file name, "explorer.exe"
  Tick userMs = 0;
  Tick kernelMs = 0;
};
// Whether a program kept the processor busy enough over `intervalMs` to count
// as its user's activity: 5 % of one processor for any program; Explorer by
// ExplorerSensitivity (0 never, 1 at 25 %, 2 like any program, 3 any use);
// programs of ExcludeFiles never; IgnoreKernel counts user time alone.
bool ProgramKeptBusy(const EngineConfig& config, const ProgramUse& use, Tick intervalMs);

// Whole idle minutes of a session's user, for "sims$".
DWORD IdleMinutesOf(const EngineConfig& config, const SessionFacts& facts, Tick now);

// A value kept in the registry for the console ("sims$"): written when it
// changes, and at most once a minute.
class OncePerMinute {
 public:
  // Whether `value` is to be written at `now`; if so, it counts as written.
  bool ShouldWrite(DWORD value, Tick now);
  // When a change held back may be written, if one is.
  std::optional<Tick> NextWrite() const;

 private:
  std::optional<DWORD> written_;
  Tick writtenAt_ = 0;
  bool held_ = false;
};

class Decider {
 public:
  explicit Decider(EngineConfig config = {});

  // A new configuration: sessions keep their idle periods and phases.
  void Configure(EngineConfig config);
  const EngineConfig& config() const { return config_; }

  // Decides at `now` (local time `local`) over the sessions that exist: the
  // steps to take, in session order. Sessions not listed are forgotten.
  std::vector<Step> Decide(Tick now, const SYSTEMTIME& local, std::span<const SessionFacts> sessions,
                           std::optional<DWORD> networkBytesPerSecond);

  // The session's idle period starts again at `now`: its action failed (for
  // kNoSession: the logon screen's wait starts again).
  void Restart(DWORD session, Tick now);
  // The session's user pressed Cancel: true when its countdown may be
  // cancelled (EnableUserCancel) and was running; the idle period starts again.
  bool Cancel(DWORD session, Tick now);
  // Why the session's countdown runs; nullopt when none does.
  std::optional<Rule> CountdownRule(DWORD session) const;

  // When the session's idle rule makes it due, as the last decision saw it;
  // nullopt when a clock rule applies or it is no longer only watched.
  std::optional<Tick> IdleDueAt(DWORD session) const;

  // The earliest tick at which a session may become due or a wait ends;
  // nullopt when nothing is pending. Clock rules need a decision each minute
  // besides (WantsEveryMinute).
  std::optional<Tick> NextDeadline() const { return nextDeadline_; }
  bool WantsEveryMinute() const;

 private:
  enum class Phase { kWatching, kCountdown, kScript, kReady, kActing, kForced };
  struct Tracked {
    Tick floor = 0;        // an idle period starts no earlier (restarts)
    Tick periodStart = 0;  // the input that started the current idle period
    bool skipRecorded = false;
    Phase phase = Phase::kWatching;
    Tick phaseSince = 0;
    Rule rule;                   // why it is being acted on
    long clockDay = -1;          // local day on which a clock rule last acted
    bool machineAction = false;  // acting on the whole machine
    bool forced = false;         // the action taken cannot be refused
    Tick dueAt = 0;              // when the idle rule makes it due (0: none)
  };

  std::optional<Rule> DueRule(const SessionFacts& facts, Tracked& tracked, Tick now, long day, unsigned minute,
                              Tick* dueAt) const;
  void Advance(const SessionFacts& facts, Tracked& tracked, Tick now, std::vector<Step>& steps);
  // The countdown is over (or there is none): the script, or the action.
  void Proceed(const SessionFacts& facts, Tracked& tracked, Tick now, std::vector<Step>& steps);
  void WatchLogonScreen(bool nobody, Tick now, std::vector<Step>& steps);
  void TakeReadySessions(std::span<const SessionFacts> sessions, Tick now, std::vector<Step>& steps);
  Step MakeStep(Step::Kind kind, const SessionFacts& facts, const Tracked& tracked) const;
  void Deadline(Tick at);

  EngineConfig config_;
  std::unordered_map<DWORD, Tracked> tracked_;
  Tick lastNetworkBusy_ = 0;
  // The local minute of the previous decision (day number and minute of day):
  // a clock time is taken only when it lies between two decisions close together.
  std::optional<std::pair<long, unsigned>> previousLocal_;
  std::optional<Tick> nextDeadline_;
  std::optional<Tick> nobodySince_;  // no session listed since
};

}  // namespace lullan::engine
