// The interactive sessions of this machine and what the engine keeps for
// each: its user, the names of the user's groups (looked up once), the
// user's token, and the session agent the service runs in it.
//
// The list comes from the sessions seam: every session with a user token is
// watched, an active one with an agent. Where the system lists none (Wine),
// the console session stands for them. A session id that comes back with
// another logon is a new session: the old one ended.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decisions.h"
#include "handles.h"

namespace lullan::engine {

struct WatchedSession {
  DWORD id = 0;
  bool connected = true;    // active; false: disconnected
  Tick disconnectedAt = 0;  // when the service saw it disconnect
  std::wstring user;        // the name alone, as "PrevUser" shows it
  std::vector<std::wstring> groups;
  std::vector<BYTE> logonSid;  // the pipe admits it
  unique_handle token;
  Rule limit;     // LimitFor its groups under the configuration in force
  Tick seen = 0;  // when the service first saw it
  // The agent.
  unique_handle agent;
  DWORD agentProcessId = 0;
  Tick agentStarted = 0;
  bool agentEverStarted = false;
  bool agentConnected = false;
  bool pipeOpen = false;
  // A failure is recorded once, until things go right again.
  bool agentTrouble = false;
  bool pipeTrouble = false;
  // What the agent and the samplers saw, on the service's clock.
  Tick lastInput = 0;
  Tick lastKeyInput = 0;
  Tick lastBusy = 0;
  bool locked = false;
  bool screenSaverRunning = false;
  bool displayKeptOn = false;    // its foreground program keeps the display on
  std::wstring foregroundImage;  // that program's file name
  // The tray icon's tooltip last sent to the agent (empty: no icon).
  std::optional<std::wstring> trayTip;
  // The logoff script started for it.
  unique_handle script;
};

// The user and groups of a token, and its logon SID (or the user's SID when
// the token has none).
struct TokenIdentity {
  std::wstring user;
  std::vector<std::wstring> groups;
  std::vector<BYTE> logonSid;
};
bool ReadTokenIdentity(HANDLE token, TokenIdentity* identity);
// The logon SID alone (the user's SID when the token has none): it tells one
// logon from the next in the same session.
std::vector<BYTE> ReadLogonSid(HANDLE token);

class SessionWatcher {
 public:
  struct Changes {
    std::vector<DWORD> started;
    // Gone from sessions() when Rescan returns, with what the engine kept of them.
    std::vector<std::unique_ptr<WatchedSession>> ended;
  };

  // Lists the sessions again.
  Changes Rescan(Tick now);

  std::vector<std::unique_ptr<WatchedSession>>& sessions() { return sessions_; }
  const std::vector<std::unique_ptr<WatchedSession>>& sessions() const { return sessions_; }
  WatchedSession* Find(DWORD id);

 private:
  std::vector<std::unique_ptr<WatchedSession>> sessions_;
};

}  // namespace lullan::engine
