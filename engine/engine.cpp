#include "engine.h"

#include <algorithm>
#include <set>

#include "config_reader.h"
#include "error_text.h"
#include "event_ids.h"
#include "packed_time.h"
#include "platform.h"
#include "schema.h"
#include "session_process.h"
#include "text_format.h"

namespace lullan::engine {

namespace {

// Changes come in bursts (a page writes its values one by one): the
// configuration is read once the key has been quiet this long.
constexpr Tick kConfigSettle = 500;

const wchar_t* OnOff(bool on) { return on ? L"on" : L"off"; }

std::wstring ActionName(config::Action action) {
  switch (action) {
    case config::Action::Shutdown:
      return L"Shutdown";
    case config::Action::Reboot:
      return L"Reboot";
    case config::Action::Logoff:
      break;
  }
  return L"Logoff";
}

// One line that says what the engine will do, written whenever the
// configuration changes.
std::wstring Summary(const EngineConfig& c) {
  std::wstring text =
      FormatText(L"Configuration: %s after %lu idle minutes; ForceExit %s", ActionName(c.action).c_str(),
                 static_cast<unsigned long>(c.idleMinutes), OnOff(c.forceExit));
  if (c.enableDailyLogoff) text += L"; daily at " + FormatPackedTime(c.dailyLogoffTime);
  if (!c.groups.empty())
    text += FormatText(L"; %u monitored groups (policies %lu/%lu/%lu)", static_cast<unsigned>(c.groups.size()),
                       static_cast<unsigned long>(c.multiGroupMaxPol), static_cast<unsigned long>(c.multiGroupDltPol),
                       static_cast<unsigned long>(c.multiGroupValPol));
  if (c.onlyIfLocked) text += L"; only if locked";
  if (c.onlyIfScreenSaver) text += L"; only if the screen saver runs";
  if (c.runScript) text += L"; script \"" + c.logoffScript + L"\"";
  text += c.ignoreNet ? std::wstring(L"; network ignored")
                      : FormatText(L"; network above %lu bytes/s", static_cast<unsigned long>(c.netBytesSec));
  text += FormatText(L"; Explorer sensitivity %lu; IgnoreKernel %s; MonitorMouse %s",
                     static_cast<unsigned long>(c.explorerSensitivity), OnOff(c.ignoreKernel), OnOff(c.monitorMouse));
  if (!c.excludeFiles.empty())
    text += FormatText(L"; %u excluded programs", static_cast<unsigned>(c.excludeFiles.size()));
  if (c.useMutex) text += L"; UseMutex on (kept for older versions; no effect)";
  if (c.dryRun) text += L"; DRY RUN: nothing is done, only recorded";
  return text;
}

std::wstring Number(DWORD value) { return FormatText(L"%lu", static_cast<unsigned long>(value)); }

SessionFacts FactsOf(const WatchedSession& s) {
  SessionFacts facts;
  facts.id = s.id;
  facts.user = s.user;
  facts.limit = s.limit;
  facts.lastInput = s.lastInput;
  facts.lastKeyInput = s.lastKeyInput;
  facts.lastBusy = s.lastBusy;
  facts.locked = s.locked;
  facts.screenSaverRunning = s.screenSaverRunning;
  facts.scriptRunning = s.script && ::WaitForSingleObject(s.script.get(), 0) == WAIT_TIMEOUT;
  facts.connected = s.connected;
  facts.disconnectedAt = s.disconnectedAt;
  facts.displayKeptOn = s.displayKeptOn;
  facts.foregroundImage = s.foregroundImage;
  return facts;
}

bool Running(const unique_handle& process) {
  return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

Tick TickClock::Now() {
  DWORD now = ::GetTickCount();
  if (started_ && now < last_) high_ += Tick{1} << 32;
  started_ = true;
  last_ = now;
  return high_ | now;
}

Tick TickClock::Widen(DWORD tick) {
  Tick now = Now();
  DWORD ago = last_ - tick;
  if (static_cast<LONG>(ago) < 0) return now;  // read after this clock was
  return now >= ago ? now - ago : 0;
}

Engine::Engine(EngineOptions options) : options_(std::move(options)) {}

Engine::~Engine() { Stop(); }

bool Engine::Start() {
  configChanged_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!configChanged_ || !reports_.valid()) return false;
  LoadConfig();
  if (!channels_.Start()) return false;
  started_ = true;
  log_.Line(L"Lullan idle-logoff service started");
  return true;
}

void Engine::WatchConfig() {
  if (!configKey_ && ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, options_.versionKeyPath.c_str(), 0, KEY_READ,
                                     configKey_.put()) != ERROR_SUCCESS)
    return;
  // The subtree too: the Groups subkey is part of the configuration.
  if (::RegNotifyChangeKeyValue(configKey_.get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                configChanged_.get(), TRUE) != ERROR_SUCCESS)
    configKey_.reset();  // looked at again with the sessions
}

void Engine::LoadConfig() {
  configDirtyAt_.reset();
  // Watched before it is read: a change in between is not lost.
  WatchConfig();
  EngineConfig config;
  if (configKey_) config = ReadEngineConfig(configKey_.get());
  const EngineConfig& before = decider_.config();
  if (configLoaded_ && config == before) return;
  if (!configLoaded_ || config.useLogFile != before.useLogFile || config.logDir != before.logDir ||
      config.installDir != before.installDir)
    log_.Configure(config);
  configLoaded_ = true;
  for (auto& session : sessions_.sessions()) session->limit = LimitFor(config, session->groups);
  log_.Line(Summary(config));
  decider_.Configure(std::move(config));
}

void Engine::Run(HANDLE stop) {
  HANDLE waits[] = {stop, reports_.event(), configChanged_.get()};
  for (;;) {
    Turn();
    Tick now = clock_.Now();
    DWORD timeout = static_cast<DWORD>(std::min<Tick>(NextWake(now) - now, 0x7FFFFFFF));
    DWORD woke = ::WaitForMultipleObjects(ARRAYSIZE(waits), waits, FALSE, timeout);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return;
    if (woke == WAIT_OBJECT_0 + 2 && !configDirtyAt_) configDirtyAt_ = clock_.Now() + kConfigSettle;
  }
}

Tick Engine::NextWake(Tick now) const {
  Tick wake = std::min(nextRescan_, nextSample_);
  auto consider = [&wake](Tick at) { wake = std::min(wake, at); };
  if (configDirtyAt_) consider(*configDirtyAt_);
  if (std::optional<Tick> deadline = decider_.NextDeadline()) consider(*deadline);
  if (decider_.WantsEveryMinute()) {
    SYSTEMTIME local;
    platform().clock->GetLocalTime(&local);
    consider(now + (60 - local.wSecond) * 1000 - local.wMilliseconds + 50);
  }
  if (std::optional<Tick> sims = sims_.NextWrite()) consider(*sims);
  for (const auto& session : sessions_.sessions()) {
    if (session->connected && !Running(session->agent)) consider(session->agentStarted + options_.agentRestartWait);
  }
  return std::max(wake, now);
}

void Engine::Turn() {
  Tick now = clock_.Now();
  if (configDirtyAt_ && now >= *configDirtyAt_) LoadConfig();
  ApplyReports();
  if (rescanNeeded_ || now >= nextRescan_) Rescan(now);
  for (auto& session : sessions_.sessions()) {
    if (session->connected) EnsureAgent(*session, now);
  }
  if (now >= nextSample_) {
    nextSample_ = now + options_.sampleInterval;
    network_.Sample(now);
    std::set<DWORD> ours{::GetCurrentProcessId()};
    for (const auto& session : sessions_.sessions()) {
      if (session->agentProcessId) ours.insert(session->agentProcessId);
    }
    std::set<DWORD> busy = processors_.Sample(decider_.config(), now, ours);
    for (auto& session : sessions_.sessions()) {
      if (busy.count(session->id)) session->lastBusy = now;
    }
  }
  Decide(now);
  KeepTrayTips(now);
  KeepSims(now);
}

void Engine::ApplyReports() {
  while (std::optional<EngineReport> report = reports_.Take()) {
    if (auto* sampled = std::get_if<AgentSampled>(&*report)) {
      WatchedSession* session = sessions_.Find(sampled->session);
      if (!session) continue;
      Tick at = clock_.Widen(sampled->tick);
      session->lastInput = at - std::min<Tick>(at, sampled->sample.inputIdleMs);
      session->lastKeyInput = at - std::min<Tick>(at, sampled->sample.keyIdleMs);
      session->locked = sampled->sample.locked;
      session->screenSaverRunning = sampled->sample.screenSaverRunning;
    } else if (auto* told = std::get_if<AgentReported>(&*report)) {
      WatchedSession* session = sessions_.Find(told->session);
      if (session) AgentSaid(*session, told->message, clock_.Widen(told->tick));
    } else if (std::holds_alternative<Resumed>(*report)) {
      // Time asleep counted as idle: whoever is due now gets the countdown now.
      log_.Line(L"The computer resumed from sleep: deciding at once");
      rescanNeeded_ = true;
      nextSample_ = 0;
    } else if (auto* connected = std::get_if<AgentConnected>(&*report)) {
      if (WatchedSession* session = sessions_.Find(connected->session)) {
        session->agentConnected = true;
        session->trayTip = L"";  // a new agent shows no icon yet
        session->agentTrouble = session->pipeTrouble = false;
      }
      log_.Line(FormatText(L"The agent of session %lu is watching (process %lu)",
                           static_cast<unsigned long>(connected->session),
                           static_cast<unsigned long>(connected->processId)));
    } else if (auto* gone = std::get_if<AgentDisconnected>(&*report)) {
      if (WatchedSession* session = sessions_.Find(gone->session)) {
        // What the agent saw ends with it: a display it said was on does not keep the session forever.
        session->agentConnected = false;
        session->displayKeptOn = false;
      }
      log_.Line(FormatText(L"The agent of session %lu is gone: %s", static_cast<unsigned long>(gone->session),
                           gone->why.c_str()));
    } else if (auto* refused = std::get_if<ClientRefused>(&*report)) {
      log_.Line(FormatText(L"Error: a program of session %lu (process %lu) tried the pipe of session %lu; refused",
                           static_cast<unsigned long>(refused->clientSession),
                           static_cast<unsigned long>(refused->processId),
                           static_cast<unsigned long>(refused->session)));
    } else if (auto* failed = std::get_if<PipeFailed>(&*report)) {
      WatchedSession* session = sessions_.Find(failed->session);
      if (!session || !session->pipeOpen) continue;  // closed since, or told already
      session->pipeOpen = false;                     // the next rescan tries again
      if (session->pipeTrouble) continue;
      session->pipeTrouble = true;
      std::wstring why = FormatText(L"error %lu", static_cast<unsigned long>(failed->error));
      log_.Record(kEventPipeFailed, {Number(failed->session), why},
                  FormatText(L"Error: the pipe of session %lu cannot be opened: %s",
                             static_cast<unsigned long>(failed->session), why.c_str()));
    } else if (std::holds_alternative<SessionsChanged>(*report)) {
      rescanNeeded_ = true;
    }
  }
}

void Engine::AgentSaid(WatchedSession& session, const Message& message, Tick at) {
  const std::wstring number = Number(session.id);
  if (const auto* display = std::get_if<Display>(&message)) {
    session.displayKeptOn = display->keptOn;
    session.foregroundImage = display->program;
    if (display->keptOn)
      log_.Line(FormatText(L"Session %s: %s keeps the display on", number.c_str(), display->program.c_str()));
  } else if (std::holds_alternative<Cancel>(message)) {
    // Only a countdown the user may cancel is cancelled, whatever a program
    // of the session sends down the pipe.
    std::optional<Rule> rule = decider_.CountdownRule(session.id);
    if (rule && decider_.Cancel(session.id, at)) {
      runner_.RecordCancel(session.user, session.id, *rule);
    } else {
      log_.Line(
          FormatText(L"Session %s asked to cancel, but no countdown it may cancel runs: ignored", number.c_str()));
    }
  } else if (const auto* failed = std::get_if<SoundFailed>(&message)) {
    std::wstring why = FormatText(L"%s (error %lu)", SystemErrorText(failed->error).c_str(),
                                  static_cast<unsigned long>(failed->error));
    log_.Record(kEventSoundFailed, {failed->file, session.user, number, why},
                FormatText(L"Warning: the sound \"%s\" could not be played in session %s (%s): %s",
                           failed->file.c_str(), number.c_str(), session.user.c_str(), why.c_str()));
  }
}

void Engine::KeepTrayTips(Tick now) {
  const EngineConfig& config = decider_.config();
  for (auto& session : sessions_.sessions()) {
    if (!session->connected || !session->agentConnected) continue;
    std::wstring tip;
    if (config.useTray) {
      std::optional<DWORD> minutesLeft = 0;
      if (std::optional<Tick> due = decider_.IdleDueAt(session->id))
        minutesLeft = static_cast<DWORD>((*due > now ? *due - now + kMinute - 1 : 0) / kMinute);
      tip = TrayTipText(config, session->limit, minutesLeft);
    }
    if (session->trayTip == tip) continue;
    channels_.Send(session->id, TrayTip{tip});
    session->trayTip = std::move(tip);
  }
}

void Engine::Rescan(Tick now) {
  rescanNeeded_ = false;
  nextRescan_ = now + options_.rescanInterval;
  if (!configKey_) LoadConfig();  // the version key may have come since
  SessionWatcher::Changes changes = sessions_.Rescan(now);
  for (const auto& ended : changes.ended) {
    bool replaced = std::find(changes.started.begin(), changes.started.end(), ended->id) != changes.started.end();
    if (!replaced) channels_.Close(ended->id);
    log_.Line(FormatText(L"Session %lu (%s) ended", static_cast<unsigned long>(ended->id), ended->user.c_str()));
    WriteValue(config::kPrevUser, REG_SZ, ended->user.c_str(),
               static_cast<DWORD>((ended->user.size() + 1) * sizeof(wchar_t)));
    // An agent still running belongs to no session the engine knows: it goes.
    if (Running(ended->agent)) ::TerminateProcess(ended->agent.get(), 1);
  }
  for (DWORD id : changes.started) {
    WatchedSession* session = sessions_.Find(id);
    session->limit = LimitFor(decider_.config(), session->groups);
    std::wstring groups;
    for (const std::wstring& group : session->groups) groups += (groups.empty() ? L"" : L", ") + group;
    log_.Line(FormatText(L"Session %lu (%s) watched; groups: %s; limit: %s", static_cast<unsigned long>(id),
                         session->user.c_str(), groups.c_str(), RuleText(session->limit).c_str()));
  }
  for (auto& session : sessions_.sessions()) {
    if (session->pipeOpen) continue;
    channels_.Open(session->id, session->logonSid);
    session->pipeOpen = true;
  }
}

void Engine::EnsureAgent(WatchedSession& session, Tick now) {
  if (Running(session.agent)) return;
  if (session.agent) {
    DWORD code = 0;
    ::GetExitCodeProcess(session.agent.get(), &code);
    log_.Line(FormatText(L"The agent of session %lu ended (exit code %lu)", static_cast<unsigned long>(session.id),
                         static_cast<unsigned long>(code)));
    session.agent.reset();
    session.agentProcessId = 0;
  }
  if (session.agentEverStarted && now < session.agentStarted + options_.agentRestartWait) return;
  session.agentEverStarted = true;
  session.agentStarted = now;
  SessionProcess agent = StartInSession(session.token.get(), AgentCommandLine(options_.agentProgram), CREATE_NO_WINDOW);
  if (!agent.process) {
    std::wstring why = FormatText(L"error %lu", static_cast<unsigned long>(::GetLastError()));
    std::wstring line = FormatText(L"Error: the agent of session %lu (%s) cannot start: %s",
                                   static_cast<unsigned long>(session.id), session.user.c_str(), why.c_str());
    if (session.agentTrouble) {
      log_.Line(line);
    } else {
      log_.Record(kEventAgentFailed, {Number(session.id), session.user, why}, line);
    }
    session.agentTrouble = true;
    return;
  }
  session.agent = std::move(agent.process);
  session.agentProcessId = agent.processId;
  log_.Line(FormatText(L"Started the agent of session %lu (process %lu)", static_cast<unsigned long>(session.id),
                       static_cast<unsigned long>(agent.processId)));
}

void Engine::Decide(Tick now) {
  std::vector<SessionFacts> facts;
  facts.reserve(sessions_.sessions().size());
  for (auto& session : sessions_.sessions()) {
    if (session->script && !Running(session->script)) session->script.reset();
    facts.push_back(FactsOf(*session));
  }
  SYSTEMTIME local;
  platform().clock->GetLocalTime(&local);
  std::vector<Step> steps = decider_.Decide(now, local, facts, network_.BytesPerSecond());
  if (steps.empty()) return;
  for (DWORD failed : runner_.Run(steps, decider_.config())) decider_.Restart(failed, now);
}

void Engine::KeepSims(Tick now) {
  WatchedSession* console = sessions_.Find(platform().sessions->GetActiveConsoleSessionId());
  DWORD minutes = console ? IdleMinutesOf(decider_.config(), FactsOf(*console), now) : 0;
  if (sims_.ShouldWrite(minutes, now)) WriteValue(config::kSims, REG_DWORD, &minutes, sizeof minutes);
}

void Engine::WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, options_.versionKeyPath.c_str(), 0, KEY_SET_VALUE, key.put()) !=
      ERROR_SUCCESS)
    return;  // no product key: nothing to show the console
  ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

void Engine::Stop() {
  if (!started_) return;
  started_ = false;
  // Asked first, so that each removes its hooks and windows itself.
  std::vector<WatchedSession*> agents;
  for (auto& session : sessions_.sessions()) {
    if (!Running(session->agent)) continue;
    channels_.Send(session->id, Quit{});
    agents.push_back(session.get());
  }
  const DWORD start = ::GetTickCount();
  for (WatchedSession* session : agents) {
    DWORD spent = ::GetTickCount() - start;
    DWORD left = spent < options_.agentQuitWait ? options_.agentQuitWait - spent : 0;
    if (::WaitForSingleObject(session->agent.get(), left) == WAIT_OBJECT_0) continue;
    ::TerminateProcess(session->agent.get(), 1);
    ::WaitForSingleObject(session->agent.get(), 1000);
    log_.Line(FormatText(L"The agent of session %lu did not quit; ended", static_cast<unsigned long>(session->id)));
  }
  channels_.Stop();
  log_.Line(L"Lullan idle-logoff service stopped");
  log_.Close();
}

}  // namespace lullan::engine
