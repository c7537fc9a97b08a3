// Carrying out the engine's decisions, and the record of each: an event-log
// record (with the log line when the log is on) for every action, every
// action held by a rule, every script that could not run and every failure.
//
// A logoff that programs may refuse is asked of the session's agent, which
// calls ExitWindowsEx in the session as its user; a forced one, or one in a
// session without an agent, is WTSLogoffSession. The machine is shut down or
// restarted with ExitWindowsEx (its programs forced, or only hung ones ended,
// as ForceExit says). In a dry run nothing of this happens: the record says
// what would have been done.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "agent_channels.h"
#include "decisions.h"
#include "engine_log.h"
#include "session_watcher.h"

namespace lullan::engine {

// "idle 30 minutes", "idle 45 minutes (group Sales)", "the time 05:30 PM of
// group Night", "the daily logoff time 05:30 PM".
std::wstring RuleText(const Rule& rule);
// "the workstation is not locked", "the screen saver is not running".
std::wstring HoldText(Hold hold);

// The tray icon's tooltip for a user under `limit`: "Idle logoff in 12
// minutes" (`minutesLeft`, when an idle rule applies), "Logoff at 05:30 PM"
// for a clock rule, and the daily time besides when it is on.
std::wstring TrayTipText(const EngineConfig& config, const Rule& limit, std::optional<DWORD> minutesLeft);

class ActionRunner {
 public:
  ActionRunner(EngineLog& log, AgentChannels& channels, SessionWatcher& sessions)
      : log_(log), channels_(channels), sessions_(sessions) {}

  // Carries out one decision's steps; returns the sessions whose action
  // failed (their idle period starts again).
  std::vector<DWORD> Run(const std::vector<Step>& steps, const EngineConfig& config);
  // The user of `session` cancelled the countdown.
  void RecordCancel(const std::wstring& user, DWORD session, const Rule& rule);

 private:
  void StartCountdown(const Step& step, const EngineConfig& config);
  void PlaySoundIn(DWORD session, const EngineConfig& config);
  void RecordLogonScreen(const Step& step);
  void RunScript(const Step& step, const EngineConfig& config);
  bool EndSession(const Step& step);
  bool EndMachine(const std::vector<Step>& steps);
  void Failed(const Step& step, const std::wstring& what, DWORD error);

  EngineLog& log_;
  AgentChannels& channels_;
  SessionWatcher& sessions_;
};

}  // namespace lullan::engine
