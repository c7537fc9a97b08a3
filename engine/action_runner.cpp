#include "action_runner.h"

#include <cwctype>

#include "error_text.h"
#include "event_ids.h"
#include "packed_time.h"
#include "platform.h"
#include "session_process.h"
#include "text_format.h"

namespace lullan::engine {

namespace {

std::wstring Number(DWORD value) { return FormatText(L"%lu", static_cast<unsigned long>(value)); }

std::wstring ErrorText(DWORD error) {
  return FormatText(L"%s (error %lu)", SystemErrorText(error).c_str(), static_cast<unsigned long>(error));
}

// What a step does, as "Lullan would %s".
std::wstring WhatItDoes(const Step& step) {
  switch (step.kind) {
    case Step::kShutDown:
      return L"shut the computer down";
    case Step::kReboot:
      return L"restart the computer";
    default:
      return L"log off";
  }
}

const wchar_t* Minutes(DWORD count) { return count == 1 ? L"minute" : L"minutes"; }

constexpr DWORD kPlannedReason = SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

}  // namespace

std::wstring RuleText(const Rule& rule) {
  switch (rule.kind) {
    case Rule::kIdle:
      return FormatText(L"idle %lu %s", static_cast<unsigned long>(rule.minutes), Minutes(rule.minutes));
    case Rule::kGroupIdle:
      return FormatText(L"idle %lu %s (group %s)", static_cast<unsigned long>(rule.minutes), Minutes(rule.minutes),
                        rule.group.c_str());
    case Rule::kGroupClockTime:
      return FormatText(L"the time %s of group %s", FormatPackedTime(rule.packedTime).c_str(), rule.group.c_str());
    case Rule::kDailyTime:
      return FormatText(L"the daily logoff time %s", FormatPackedTime(rule.packedTime).c_str());
    case Rule::kLogonScreen:
      return FormatText(L"nobody logged on for %lu %s", static_cast<unsigned long>(rule.minutes),
                        Minutes(rule.minutes));
  }
  return {};
}

std::wstring TrayTipText(const EngineConfig& config, const Rule& limit, std::optional<DWORD> minutesLeft) {
  const wchar_t* action = config.action == config::Action::Shutdown ? L"shutdown"
                          : config.action == config::Action::Reboot ? L"restart"
                                                                    : L"logoff";
  std::wstring text;
  if (limit.IsClockRule()) {
    text = FormatText(L"%c%s at %s", std::towupper(action[0]), action + 1, FormatPackedTime(limit.packedTime).c_str());
  } else if (minutesLeft) {
    text = *minutesLeft == 0 ? FormatText(L"Idle %s now", action)
                             : FormatText(L"Idle %s in %lu %s", action, static_cast<unsigned long>(*minutesLeft),
                                          Minutes(*minutesLeft));
  } else {
    text =
        FormatText(L"Idle %s after %lu %s", action, static_cast<unsigned long>(limit.minutes), Minutes(limit.minutes));
  }
  if (config.enableDailyLogoff && !(limit.kind == Rule::kDailyTime))
    text += FormatText(L"; every day at %s", FormatPackedTime(config.dailyLogoffTime).c_str());
  return text;
}

std::wstring HoldText(Hold hold) {
  switch (hold) {
    case Hold::kNotLocked:
      return L"the workstation is not locked";
    case Hold::kNoScreenSaver:
      return L"the screen saver is not running";
    case Hold::kNone:
      break;
  }
  return {};
}

void ActionRunner::Failed(const Step& step, const std::wstring& what, DWORD error) {
  std::wstring why = ErrorText(error);
  const bool nobody = step.session == kNoSession;
  const std::wstring user = nobody ? std::wstring(L"nobody logged on") : step.user;
  const std::wstring number = nobody ? std::wstring(L"none") : Number(step.session);
  log_.Record(kEventActionFailed, {what, user, number, why},
              FormatText(L"Error: could not %s for %s (session %s): %s", what.c_str(), user.c_str(), number.c_str(),
                         why.c_str()));
}

void ActionRunner::RunScript(const Step& step, const EngineConfig& config) {
  WatchedSession* session = sessions_.Find(step.session);
  if (!session) return;
  const std::wstring& script = config.logoffScript;
  const std::wstring number = Number(step.session);
  if (::GetFileAttributesW(script.c_str()) == INVALID_FILE_ATTRIBUTES) {
    log_.Record(kEventScriptMissing, {script, step.user, number},
                FormatText(L"Error: logoff script \"%s\" not found; going on without it for %s (session %s)",
                           script.c_str(), step.user.c_str(), number.c_str()));
    return;
  }
  SessionProcess started = StartInSession(session->token.get(), ScriptCommandLine(script), CREATE_NO_WINDOW);
  if (!started.process) {
    std::wstring why = ErrorText(::GetLastError());
    log_.Record(kEventScriptFailed, {script, step.user, number, why},
                FormatText(L"Error: logoff script \"%s\" could not start for %s (session %s): %s", script.c_str(),
                           step.user.c_str(), number.c_str(), why.c_str()));
    return;
  }
  session->script = std::move(started.process);
  log_.Line(FormatText(L"Running the logoff script \"%s\" for %s (session %s): %s", script.c_str(), step.user.c_str(),
                       number.c_str(), RuleText(step.rule).c_str()));
}

bool ActionRunner::EndSession(const Step& step) {
  WatchedSession* session = sessions_.Find(step.session);
  const bool force = step.force || step.kind == Step::kForceLogOff || !session || !session->agentConnected;
  if (!force) {
    // Asked in the session itself, so that its programs may refuse.
    channels_.Send(step.session, LogOff{});
    return true;
  }
  if (platform().sessions->LogoffSession(step.session, FALSE)) return true;
  Failed(step, L"log off", ::GetLastError());
  return false;
}

bool ActionRunner::EndMachine(const std::vector<Step>& steps) {
  const Step& first = steps.front();
  UINT flags = (first.kind == Step::kReboot ? EWX_REBOOT : EWX_SHUTDOWN | EWX_POWEROFF) |
               (first.force ? EWX_FORCE : EWX_FORCEIFHUNG);
  SystemExit& exit = *platform().systemExit;
  if (exit.EnableShutdownPrivilege() && exit.ExitWindowsEx(flags, kPlannedReason)) return true;
  DWORD error = ::GetLastError();
  for (const Step& step : steps) Failed(step, WhatItDoes(step), error);
  return false;
}

void ActionRunner::PlaySoundIn(DWORD session, const EngineConfig& config) {
  WatchedSession* watched = sessions_.Find(session);
  if (!config.playSound || config.wavFile.empty() || !watched || !watched->connected || !watched->agentConnected)
    return;
  channels_.Send(session, PlayWave{config.wavFile});
}

void ActionRunner::StartCountdown(const Step& step, const EngineConfig& config) {
  Countdown countdown;
  countdown.seconds = config.countdownSeconds;
  countdown.ending = config.action == config::Action::Shutdown ? Ending::kShutDown
                     : config.action == config::Action::Reboot ? Ending::kReboot
                                                               : Ending::kLogOff;
  countdown.userMayCancel = config.enableUserCancel;
  countdown.why = RuleText(step.rule);
  countdown.message = config.customMessage;
  channels_.Send(step.session, countdown);
  PlaySoundIn(step.session, config);
  log_.Line(FormatText(L"Countdown of %lu seconds for %s (session %lu): %s%s",
                       static_cast<unsigned long>(countdown.seconds), step.user.c_str(),
                       static_cast<unsigned long>(step.session), countdown.why.c_str(),
                       countdown.userMayCancel ? L"; the user may cancel" : L""));
}

void ActionRunner::RecordCancel(const std::wstring& user, DWORD session, const Rule& rule) {
  const std::wstring number = Number(session);
  const std::wstring why = RuleText(rule);
  log_.Record(kEventCountdownCancelled, {user, number, why},
              FormatText(L"%s (session %s) cancelled the countdown (%s): the idle period starts again", user.c_str(),
                         number.c_str(), why.c_str()));
}

void ActionRunner::RecordLogonScreen(const Step& step) {
  const std::wstring minutes = Number(step.rule.minutes);
  if (step.dryRun) {
    log_.Record(kEventLogonScreenWouldShutDown, {minutes},
                FormatText(L"Dry run: would shut the computer down: %s", RuleText(step.rule).c_str()));
  } else {
    log_.Record(kEventLogonScreenShutDown, {minutes},
                FormatText(L"Shutting the computer down: %s", RuleText(step.rule).c_str()));
  }
}

std::vector<DWORD> ActionRunner::Run(const std::vector<Step>& steps, const EngineConfig& config) {
  std::vector<DWORD> failed;
  std::vector<Step> machine;
  for (const Step& step : steps) {
    const std::wstring number = Number(step.session);
    const std::wstring rule = RuleText(step.rule);
    switch (step.kind) {
      case Step::kSkip:
        log_.Record(kEventActionHeld, {step.user, number, rule, HoldText(step.hold)},
                    FormatText(L"%s (session %s) is due (%s), but is left: %s", step.user.c_str(), number.c_str(),
                               rule.c_str(), HoldText(step.hold).c_str()));
        break;
      case Step::kRunScript:
        RunScript(step, config);
        break;
      case Step::kCountdown:
        StartCountdown(step, config);
        break;
      case Step::kCancelled:
        channels_.Send(step.session, EndCountdown{});
        RecordCancel(step.user, step.session, step.rule);
        break;
      case Step::kLogOff:
      case Step::kForceLogOff:
      case Step::kShutDown:
      case Step::kReboot:
        // Without a countdown the sound goes with the action.
        if (!config.useCancelDlg && step.kind != Step::kForceLogOff) PlaySoundIn(step.session, config);
        if (step.session == kNoSession) {
          RecordLogonScreen(step);
          if (!step.dryRun) machine.push_back(step);
          break;
        }
        if (step.dryRun) {
          log_.Record(kEventWouldAct, {step.user, number, rule, WhatItDoes(step)},
                      FormatText(L"Dry run: would %s %s (session %s): %s", WhatItDoes(step).c_str(), step.user.c_str(),
                                 number.c_str(), rule.c_str()));
          break;
        }
        if (step.kind == Step::kShutDown || step.kind == Step::kReboot) {
          machine.push_back(step);
          break;
        }
        if (!EndSession(step)) {
          failed.push_back(step.session);
          break;
        }
        if (step.kind == Step::kForceLogOff) {
          log_.Record(kEventLogoffForced, {step.user, number, rule},
                      FormatText(L"%s (session %s) still logged on 60 seconds later: forced (%s)", step.user.c_str(),
                                 number.c_str(), rule.c_str()));
        } else {
          log_.Record(step.instead ? kEventLoggedOffInstead : kEventLoggedOff, {step.user, number, rule},
                      FormatText(step.instead ? L"Logged off %s (session %s): %s; not shut down: another session "
                                                L"is not due"
                                              : L"Logged off %s (session %s): %s",
                                 step.user.c_str(), number.c_str(), rule.c_str()));
        }
        break;
    }
  }
  if (!machine.empty()) {
    for (const Step& step : machine) {
      if (step.session == kNoSession) continue;  // recorded above
      const std::wstring number = Number(step.session);
      const std::wstring rule = RuleText(step.rule);
      log_.Record(step.kind == Step::kReboot ? kEventRebooted : kEventShutDown, {step.user, number, rule},
                  FormatText(L"%s: %s (session %s) is due: %s",
                             step.kind == Step::kReboot ? L"Restarting the computer" : L"Shutting the computer down",
                             step.user.c_str(), number.c_str(), rule.c_str()));
    }
    if (!EndMachine(machine)) {
      for (const Step& step : machine) failed.push_back(step.session);
    }
  }
  return failed;
}

}  // namespace lullan::engine
