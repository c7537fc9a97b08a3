// What the engine's other threads tell the engine thread. They never touch
// the engine's sessions or decisions: they put a report, which owns all it
// carries, into the queue and signal its event once; the engine thread takes
// the reports when it wakes.
#pragma once

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <variant>

#include "critical_section.h"
#include "handles.h"
#include "pipe_protocol.h"

namespace lullan::engine {

// A client of the session's pipe was admitted: it runs in that session.
struct AgentConnected {
  DWORD session;
  DWORD processId;
};
// The session's agent says what it sees; `tick` is when it arrived (GetTickCount).
struct AgentSampled {
  DWORD session;
  Sample sample;
  DWORD tick;
};
// The session's agent tells of its user's display, Cancel or a sound it
// could not play; `tick` is when it arrived (GetTickCount).
struct AgentReported {
  DWORD session;
  Message message;
  DWORD tick;
};
// The machine resumed from sleep or hibernation: decide at once.
struct Resumed {};
// The connection ended: the agent went, or it was closed for a malformed or
// oversized message (`why` says which).
struct AgentDisconnected {
  DWORD session;
  std::wstring why;
};
// A client from another session tried the session's pipe, and was turned away.
struct ClientRefused {
  DWORD session;
  DWORD processId;
  DWORD clientSession;
};
// The session's pipe could not be created (`error`): its agent cannot talk
// to the service until the next rescan tries again.
struct PipeFailed {
  DWORD session;
  DWORD error;
};
// The service control manager told of a session change (logon, logoff, lock...).
struct SessionsChanged {};

using EngineReport = std::variant<AgentConnected, AgentSampled, AgentReported, AgentDisconnected, ClientRefused,
                                  PipeFailed, SessionsChanged, Resumed>;

class EngineReports {
 public:
  EngineReports() : ready_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  EngineReports(const EngineReports&) = delete;
  EngineReports& operator=(const EngineReports&) = delete;

  // Signalled (auto-reset) when reports wait: the engine thread waits on it.
  HANDLE event() const { return ready_.get(); }
  bool valid() const { return static_cast<bool>(ready_); }

  // Any thread.
  void Push(EngineReport report) {
    CriticalSectionLock hold(lock_);
    waiting_.push_back(std::move(report));
    ::SetEvent(ready_.get());
  }
  // The engine thread: the oldest waiting report, or nullopt.
  std::optional<EngineReport> Take() {
    CriticalSectionLock hold(lock_);
    if (waiting_.empty()) return std::nullopt;
    EngineReport report = std::move(waiting_.front());
    waiting_.pop_front();
    return report;
  }

 private:
  CriticalSection lock_;
  std::deque<EngineReport> waiting_;
  unique_handle ready_;
};

}  // namespace lullan::engine
