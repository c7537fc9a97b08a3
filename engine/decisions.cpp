#include "decisions.h"

#include <algorithm>
#include <cwctype>

#include "packed_time.h"
#include "schema.h"

namespace lullan::engine {

namespace {

// Two decisions further apart than this on the wall clock (the clock was set
// forward, the machine slept, the service was not running) take no clock
// time that lay between them: a missed time is not made up for.
constexpr long kLongestClockStep = 2;  // minutes

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

bool IsMember(std::span<const std::wstring> userGroups, std::wstring_view group) {
  return std::any_of(userGroups.begin(), userGroups.end(), [&](const std::wstring& g) { return SameName(g, group); });
}

unsigned MinuteOfDay(DWORD packed) {
  TimeOfDay t = UnpackTime(packed);
  return t.hour * 60 + t.minute;
}

// Days since 1 March of year 0 in the proleptic Gregorian calendar: only
// differences matter.
long DayNumber(const SYSTEMTIME& local) {
  long year = local.wYear;
  long month = local.wMonth;
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  return 365 * year + year / 4 - year / 100 + year / 400 + (153 * (month - 3) + 2) / 5 + local.wDay - 1;
}

// The part of a listed file after its last backslash, with ".exe" when it has no extension.
std::wstring ListedImage(std::wstring_view entry) {
  size_t start = entry.find_first_not_of(L" \t");
  size_t end = entry.find_last_not_of(L" \t");
  if (start == std::wstring_view::npos) return {};
  entry = entry.substr(start, end - start + 1);
  if (size_t slash = entry.find_last_of(L"\\/"); slash != std::wstring_view::npos) entry = entry.substr(slash + 1);
  std::wstring image(entry);
  if (image.find(L'.') == std::wstring::npos) image += L".exe";
  return image;
}

bool IsExcluded(const EngineConfig& config, std::wstring_view image) {
  for (const std::wstring& entry : config.excludeFiles) {
    if (SameName(ListedImage(entry), image)) return true;
  }
  return false;
}

}  // namespace

Rule LimitFor(const EngineConfig& config, std::span<const std::wstring> userGroups) {
  const GroupLimit* minutes = nullptr;
  const GroupLimit* clock = nullptr;
  for (const GroupLimit& limit : config.groups) {
    if (!IsMember(userGroups, limit.group)) continue;
    if (limit.kind == config::GroupKind::Minutes) {
      if (!config::IsValidIdleMinutes(limit.value)) continue;
      bool biggest = config.multiGroupMaxPol == 0;
      if (!minutes || (biggest ? limit.value > minutes->value : limit.value < minutes->value)) minutes = &limit;
    } else {
      bool earliest = config.multiGroupDltPol == 0;
      unsigned at = MinuteOfDay(limit.value);
      if (!clock || (earliest ? at < MinuteOfDay(clock->value) : at > MinuteOfDay(clock->value))) clock = &limit;
    }
  }
  if (minutes && (!clock || config.multiGroupValPol == 0))
    return Rule{Rule::kGroupIdle, minutes->value, 0, minutes->group};
  if (clock) return Rule{Rule::kGroupClockTime, 0, clock->value, clock->group};
  return Rule{Rule::kIdle, config.idleMinutes, 0, {}};
}

bool NetworkCountsAsActivity(const EngineConfig& config, DWORD bytesPerSecond) {
  return !config.ignoreNet && bytesPerSecond > config.netBytesSec;
}

bool ProgramKeptBusy(const EngineConfig& config, const ProgramUse& use, Tick intervalMs) {
  if (intervalMs == 0 || IsExcluded(config, use.image)) return false;
  Tick used = use.userMs + (config.ignoreKernel ? 0 : use.kernelMs);
  // Percent of one processor over the interval a program must use.
  Tick percent = 5;
  if (SameName(use.image, L"explorer.exe")) {
    switch (config.explorerSensitivity) {
      case 0:
        return false;
      case 1:
        percent = 25;
        break;
      case 3:
        return used > 0;
      default:
        break;
    }
  }
  return used * 100 >= intervalMs * percent && used > 0;
}

DWORD IdleMinutesOf(const EngineConfig& config, const SessionFacts& facts, Tick now) {
  Tick input = config.monitorMouse ? facts.lastInput : facts.lastKeyInput;
  return now > input ? static_cast<DWORD>((now - input) / kMinute) : 0;
}

bool OncePerMinute::ShouldWrite(DWORD value, Tick now) {
  held_ = false;
  if (written_ == value) return false;
  if (written_ && now < writtenAt_ + kMinute) {
    held_ = true;
    return false;
  }
  written_ = value;
  writtenAt_ = now;
  return true;
}

std::optional<Tick> OncePerMinute::NextWrite() const {
  if (!held_) return std::nullopt;
  return writtenAt_ + kMinute;
}

Decider::Decider(EngineConfig config) : config_(std::move(config)) {}

void Decider::Configure(EngineConfig config) { config_ = std::move(config); }

bool Decider::WantsEveryMinute() const {
  if (config_.enableDailyLogoff) return true;
  return std::any_of(config_.groups.begin(), config_.groups.end(),
                     [](const GroupLimit& g) { return g.kind == config::GroupKind::ClockTime; });
}

void Decider::Restart(DWORD session, Tick now) {
  if (session == kNoSession) {
    if (nobodySince_) nobodySince_ = now;
    return;
  }
  auto found = tracked_.find(session);
  if (found == tracked_.end()) return;
  Tracked& tracked = found->second;
  tracked.floor = now;
  tracked.phase = Phase::kWatching;
  tracked.machineAction = false;
}

std::optional<Tick> Decider::IdleDueAt(DWORD session) const {
  auto found = tracked_.find(session);
  if (found == tracked_.end() || found->second.phase != Phase::kWatching || found->second.dueAt == 0)
    return std::nullopt;
  return found->second.dueAt;
}

std::optional<Rule> Decider::CountdownRule(DWORD session) const {
  auto found = tracked_.find(session);
  if (found == tracked_.end() || found->second.phase != Phase::kCountdown) return std::nullopt;
  return found->second.rule;
}

bool Decider::Cancel(DWORD session, Tick now) {
  auto found = tracked_.find(session);
  if (!config_.enableUserCancel || found == tracked_.end() || found->second.phase != Phase::kCountdown) return false;
  Restart(session, now);
  return true;
}

void Decider::Deadline(Tick at) {
  if (!nextDeadline_ || at < *nextDeadline_) nextDeadline_ = at;
}

// The rule by which a watched session is due now, if any; otherwise when its
// idle rule will make it due (dueAt).
std::optional<Rule> Decider::DueRule(const SessionFacts& facts, Tracked& tracked, Tick now, long day, unsigned minute,
                                     Tick* dueAt) const {
  *dueAt = 0;
  // The clock rules: the daily time for everyone, a clock-time group's time
  // for its members; taken once a day, when the time lies between this
  // decision and the previous one.
  auto clockDue = [&](DWORD packed) {
    if (!previousLocal_ || tracked.clockDay == day) return false;
    long step = (day - previousLocal_->first) * 1440 + static_cast<long>(minute) - previousLocal_->second;
    if (step <= 0 || step > kLongestClockStep) return false;
    long at = MinuteOfDay(packed);
    long from = static_cast<long>(previousLocal_->second);
    // A time of the previous day counts from midnight.
    if (previousLocal_->first != day) from -= 1440;
    return at > from && at <= static_cast<long>(minute);
  };
  if (facts.limit.kind == Rule::kGroupClockTime && clockDue(facts.limit.packedTime)) return facts.limit;
  if (config_.enableDailyLogoff && clockDue(config_.dailyLogoffTime))
    return Rule{Rule::kDailyTime, 0, config_.dailyLogoffTime, {}};
  if (facts.limit.IsClockRule()) return std::nullopt;

  // The idle rules.
  Tick input = std::max(config_.monitorMouse ? facts.lastInput : facts.lastKeyInput, tracked.floor);
  if (!facts.connected) input = std::max(input, facts.disconnectedAt);
  // A program keeping the display on is its user's activity for as long as it does.
  if (facts.connected && facts.displayKeptOn && !IsExcluded(config_, facts.foregroundImage)) {
    tracked.floor = std::max(tracked.floor, now);
    input = now;
  }
  if (input != tracked.periodStart) {
    tracked.periodStart = input;  // a new idle period
    tracked.skipRecorded = false;
  }
  Tick background = facts.lastBusy;
  if (!config_.ignoreNet) background = std::max(background, lastNetworkBusy_);
  Tick limit = facts.limit.minutes * kMinute;
  *dueAt = std::min(std::max(input, background) + limit, input + 2 * limit);
  if (now < *dueAt) return std::nullopt;
  return facts.limit;
}

Step Decider::MakeStep(Step::Kind kind, const SessionFacts& facts, const Tracked& tracked) const {
  Step step{};
  step.kind = kind;
  step.session = facts.id;
  step.user = facts.user;
  step.rule = tracked.rule;
  step.force = config_.forceExit || kind == Step::kForceLogOff;
  step.dryRun = config_.dryRun;
  return step;
}

void Decider::Advance(const SessionFacts& facts, Tracked& tracked, Tick now, std::vector<Step>& steps) {
  switch (tracked.phase) {
    case Phase::kWatching:
      return;
    case Phase::kCountdown: {
      // Any input, the mouse's too, is the user cancelling.
      if (config_.enableUserCancel && facts.lastInput > tracked.phaseSince) {
        steps.push_back(MakeStep(Step::kCancelled, facts, tracked));
        Restart(facts.id, facts.lastInput);
        return;
      }
      Tick end = tracked.phaseSince + Tick{config_.countdownSeconds} * 1000;
      if (now < end) {
        Deadline(end);
        return;
      }
      Proceed(facts, tracked, now, steps);
      return;
    }
    case Phase::kScript:
      if (facts.scriptRunning && now - tracked.phaseSince < kScriptWait) {
        Deadline(tracked.phaseSince + kScriptWait);
        return;
      }
      tracked.phase = Phase::kReady;
      tracked.phaseSince = now;
      return;
    case Phase::kReady:
      return;  // TakeReadySessions
    case Phase::kActing:
      if (now < tracked.phaseSince + kRefusalWait) {
        Deadline(tracked.phaseSince + kRefusalWait);
        return;
      }
      if (tracked.forced) {
        Restart(facts.id, now);  // a forced action that left the session: it failed
        return;
      }
      // Its programs refused the logoff (or the shutdown): now they cannot.
      if (tracked.machineAction) {
        Step step =
            MakeStep(config_.action == config::Action::Reboot ? Step::kReboot : Step::kShutDown, facts, tracked);
        step.force = true;
        steps.push_back(step);
      } else {
        steps.push_back(MakeStep(Step::kForceLogOff, facts, tracked));
      }
      tracked.phase = Phase::kForced;
      tracked.phaseSince = now;
      Deadline(now + kRefusalWait);
      return;
    case Phase::kForced:
      // Still there after a forced logoff: the action failed. The session
      // gets a full idle period before the next attempt.
      if (tracked.phaseSince + kRefusalWait > now) {
        Deadline(tracked.phaseSince + kRefusalWait);
        return;
      }
      Restart(facts.id, now);
      return;
  }
}

void Decider::Proceed(const SessionFacts& facts, Tracked& tracked, Tick now, std::vector<Step>& steps) {
  tracked.phaseSince = now;
  if (config_.runScript) {
    steps.push_back(MakeStep(Step::kRunScript, facts, tracked));
    tracked.phase = Phase::kScript;
    Deadline(now + kScriptWait);
  } else {
    tracked.phase = Phase::kReady;
  }
}

// With no session listed, the machine is shut down once
// LogonScreenShutdownMinutes have passed.
void Decider::WatchLogonScreen(bool nobody, Tick now, std::vector<Step>& steps) {
  const DWORD minutes = config_.logonScreenShutdownMinutes;
  if (!nobody || minutes == 0) {
    nobodySince_.reset();
    return;
  }
  if (!nobodySince_) nobodySince_ = now;
  const Tick due = *nobodySince_ + minutes * kMinute;
  if (now >= due) {
    Step step{};
    step.kind = Step::kShutDown;
    step.session = kNoSession;
    step.rule = Rule{Rule::kLogonScreen, minutes, 0, {}};
    step.force = true;  // nobody has anything open
    step.dryRun = config_.dryRun;
    steps.push_back(step);
    nobodySince_ = now;  // a dry run records it again after another wait
  }
  Deadline(*nobodySince_ + minutes * kMinute);
}

// Acts on the sessions that are ready: the machine when every session is
// ready (and nothing else is running a script), else each alone.
void Decider::TakeReadySessions(std::span<const SessionFacts> sessions, Tick now, std::vector<Step>& steps) {
  bool anyReady = false;
  bool allReady = true;
  bool scriptsRunning = false;
  for (const SessionFacts& facts : sessions) {
    const Tracked& tracked = tracked_[facts.id];
    anyReady |= tracked.phase == Phase::kReady;
    scriptsRunning |= tracked.phase == Phase::kScript;
    // A session being logged off on its own is leaving: it does not keep the
    // machine up. A disconnected session is always logged off on its own.
    bool leaving = ((tracked.phase == Phase::kActing || tracked.phase == Phase::kForced) && !tracked.machineAction) ||
                   (!facts.connected && tracked.phase == Phase::kReady);
    allReady &= (facts.connected && (tracked.phase == Phase::kReady || tracked.phase == Phase::kScript)) || leaving;
  }
  if (!anyReady) return;
  const bool machineAction = config_.action != config::Action::Logoff;
  // Every session is due, but some still run their scripts: the machine waits for them.
  if (machineAction && allReady && scriptsRunning) return;

  for (const SessionFacts& facts : sessions) {
    Tracked& tracked = tracked_[facts.id];
    if (tracked.phase != Phase::kReady) continue;
    Step step = MakeStep(Step::kLogOff, facts, tracked);
    const bool alone = !facts.connected;
    if (alone) {
      step.force = true;  // nobody there to save anything or refuse
      step.instead = machineAction;
    } else if (machineAction && allReady) {
      step.kind = config_.action == config::Action::Reboot ? Step::kReboot : Step::kShutDown;
    } else {
      step.instead = machineAction;
    }
    steps.push_back(step);
    if (config_.dryRun) {
      Restart(facts.id, now);
      continue;
    }
    tracked.phase = Phase::kActing;
    tracked.phaseSince = now;
    tracked.machineAction = machineAction && allReady && !alone;
    tracked.forced = step.force;
    Deadline(now + kRefusalWait);
  }
}

std::vector<Step> Decider::Decide(Tick now, const SYSTEMTIME& local, std::span<const SessionFacts> sessions,
                                  std::optional<DWORD> networkBytesPerSecond) {
  std::vector<Step> steps;
  nextDeadline_.reset();
  if (networkBytesPerSecond && NetworkCountsAsActivity(config_, *networkBytesPerSecond)) lastNetworkBusy_ = now;

  // Sessions that ended are forgotten.
  for (auto it = tracked_.begin(); it != tracked_.end();) {
    bool listed =
        std::any_of(sessions.begin(), sessions.end(), [&](const SessionFacts& f) { return f.id == it->first; });
    it = listed ? std::next(it) : tracked_.erase(it);
  }

  const long day = DayNumber(local);
  const unsigned minute = local.wHour * 60u + local.wMinute;
  for (const SessionFacts& facts : sessions) {
    Tracked& tracked = tracked_[facts.id];
    if (tracked.phase != Phase::kWatching) {
      Advance(facts, tracked, now, steps);
      continue;
    }
    Tick dueAt = 0;
    std::optional<Rule> due = DueRule(facts, tracked, now, day, minute, &dueAt);
    tracked.dueAt = due ? 0 : dueAt;
    if (!due) {
      if (dueAt != 0) Deadline(dueAt);
      continue;
    }
    tracked.rule = *due;
    if (due->IsClockRule()) tracked.clockDay = day;
    Hold hold = Hold::kNone;
    if (!due->IsClockRule()) {
      if (config_.onlyIfLocked && !facts.locked && (!config_.onlyIfScreenSaver || !facts.screenSaverRunning)) {
        hold = Hold::kNotLocked;
      } else if (config_.onlyIfScreenSaver && !facts.screenSaverRunning && !config_.onlyIfLocked) {
        hold = Hold::kNoScreenSaver;
      }
    }
    if (!facts.connected) hold = Hold::kNone;  // nobody can see a disconnected session: as good as locked
    if (hold != Hold::kNone) {
      if (!tracked.skipRecorded) {
        Step skip = MakeStep(Step::kSkip, facts, tracked);
        skip.hold = hold;
        steps.push_back(skip);
        tracked.skipRecorded = true;
      }
      continue;
    }
    if (config_.useCancelDlg && facts.connected) {
      steps.push_back(MakeStep(Step::kCountdown, facts, tracked));
      tracked.phase = Phase::kCountdown;
      tracked.phaseSince = now;
      Deadline(now + Tick{config_.countdownSeconds} * 1000);
    } else {
      Proceed(facts, tracked, now, steps);
    }
  }
  TakeReadySessions(sessions, now, steps);
  WatchLogonScreen(sessions.empty(), now, steps);
  previousLocal_ = std::make_pair(day, minute);
  return steps;
}

}  // namespace lullan::engine
