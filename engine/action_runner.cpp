#include "action_runner.h"

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
  }
  return {};
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
  log_.Record(kEventActionFailed, {what, step.user, Number(step.session), why},
              FormatText(L"Error: could not %s for %s (session %lu): %s", what.c_str(), step.user.c_str(),
                         static_cast<unsigned long>(step.session), why.c_str()));
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
      case Step::kLogOff:
      case Step::kForceLogOff:
      case Step::kShutDown:
      case Step::kReboot:
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
