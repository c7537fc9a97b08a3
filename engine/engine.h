// The idle-logoff engine as the service runs it, on one thread: it reads the
// configuration (again whenever the version key or its Groups subkey
// changes), keeps an agent in every interactive session, takes what the
// agents and the samplers see, decides, and carries the decisions out. It
// keeps "sims$" (the idle minutes of the console session's user) and
// "PrevUser" (the last user whose session ended) in the version key.
//
// The engine thread sleeps until something happens: a report from the pipe
// thread or the service control manager, a change of the configuration, or
// the next moment a session may become due, a sample is taken or the
// sessions are listed again (every 30 s: some systems tell of no change).
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "action_runner.h"
#include "agent_channels.h"
#include "decisions.h"
#include "engine_log.h"
#include "engine_reports.h"
#include "network_sampler.h"
#include "processor_sampler.h"
#include "session_watcher.h"

namespace lullan::engine {

struct EngineOptions {
  std::wstring versionKeyPath;      // under HKEY_LOCAL_MACHINE
  std::wstring agentProgram;        // started with "/agent" in each session
  Tick rescanInterval = 30000;      // the sessions listed again
  Tick sampleInterval = 15000;      // network and processors looked at
  Tick agentRestartWait = kMinute;  // an agent that ended is started again at most this often
  DWORD agentQuitWait = 1500;       // ms the agents have to end when the service stops
};

// The service's clock: GetTickCount, widened to 64 bits (it wraps after 49.7
// days, and the engine looks at it far more often than that).
class TickClock {
 public:
  Tick Now();
  // A tick of the last 49 days (from another thread's GetTickCount) on this clock.
  Tick Widen(DWORD tick);

 private:
  DWORD last_ = 0;
  Tick high_ = 0;
  bool started_ = false;
};

class Engine {
 public:
  explicit Engine(EngineOptions options);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Reads the configuration, starts the pipe thread and looks at the
  // sessions; false (with the thread's last error) when it cannot start.
  bool Start();
  // Runs until `stop` is signalled.
  void Run(HANDLE stop);
  // Asks the agents to quit, ends those still there after agentQuitWait, and
  // ends the pipe thread.
  void Stop();

  // Any thread: the session changes the service control manager tells of.
  EngineReports& reports() { return reports_; }

  // One turn of the loop without waiting (tests).
  void Turn();
  const EngineConfig& config() const { return decider_.config(); }
  SessionWatcher& sessions() { return sessions_; }
  EngineLog& log() { return log_; }

 private:
  void LoadConfig();
  void WatchConfig();
  void ApplyReports();
  void Rescan(Tick now);
  void EnsureAgent(WatchedSession& session, Tick now);
  // What a session's agent told besides its samples, arrived at `at`.
  void AgentSaid(WatchedSession& session, const Message& message, Tick at);
  // Each agent's tray icon says what applies to its user now.
  void KeepTrayTips(Tick now);
  void Decide(Tick now);
  void KeepSims(Tick now);
  void WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
  // The next moment the engine has something to do (never before `now`).
  Tick NextWake(Tick now) const;

  EngineOptions options_;
  TickClock clock_;
  EngineReports reports_;
  AgentChannels channels_{reports_};
  SessionWatcher sessions_;
  Decider decider_;
  EngineLog log_;
  ActionRunner runner_{log_, channels_, sessions_};
  NetworkSampler network_;
  ProcessorSampler processors_;

  unique_hkey configKey_;        // KEY_NOTIFY, watched for changes
  unique_handle configChanged_;  // signalled by the change notification
  std::optional<Tick> configDirtyAt_;
  bool configLoaded_ = false;

  bool rescanNeeded_ = true;
  Tick nextRescan_ = 0;
  Tick nextSample_ = 0;
  OncePerMinute sims_;
  bool started_ = false;
};

}  // namespace lullan::engine
