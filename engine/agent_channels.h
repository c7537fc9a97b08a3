// The service's side of the session pipes: one pipe per watched session,
// served by one thread through an I/O completion port, however many sessions
// there are.
//
// The pipe thread alone owns the pipes. The engine thread asks it to open,
// close or write through commands; what the agents send comes back as
// reports (engine_reports.h). A client is admitted only when the session it
// runs in, taken from the pipe (its process id, then that process's session),
// is the pipe's session; whatever a client claims is not asked. A malformed
// or oversized message closes that connection alone, and the pipe listens
// for the session's next agent.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "critical_section.h"
#include "engine_reports.h"
#include "handles.h"
#include "pipe_protocol.h"

namespace lullan::engine {

// The security of a session's pipe: full control for LocalSystem, read and
// write (but no new instance) for the session's logon SID, nobody else.
// `sddl` is the text form, for the log and the tests.
std::wstring AgentPipeSddl(PSID logonSid);

class AgentChannels {
 public:
  explicit AgentChannels(EngineReports& reports);
  ~AgentChannels();
  AgentChannels(const AgentChannels&) = delete;
  AgentChannels& operator=(const AgentChannels&) = delete;

  // Starts the pipe thread; false (with the thread's last error) when it cannot.
  bool Start();
  // Closes every pipe and ends the thread.
  void Stop();

  // The engine thread. Opens the pipe of `session`, admitting `logonSid`, in
  // place of any it had; a pipe that cannot be created (its name taken by
  // someone else) comes back as a PipeFailed report.
  void Open(DWORD session, std::vector<BYTE> logonSid);
  void Close(DWORD session);
  void Send(DWORD session, const Message& message);

 private:
  struct Channel;
  struct Operation;
  struct OpenCommand {
    DWORD session;
    std::vector<BYTE> logonSid;
  };
  struct CloseCommand {
    DWORD session;
  };
  struct SendCommand {
    DWORD session;
    std::vector<BYTE> bytes;
  };
  struct StopCommand {};
  using Command = std::variant<OpenCommand, CloseCommand, SendCommand, StopCommand>;

  static unsigned __stdcall ThreadMain(void* self) noexcept;
  void Run();
  void Post(Command command);
  bool TakeCommands();  // false on Stop
  void OpenChannel(DWORD session, const std::vector<BYTE>& logonSid);
  void Listen(Channel& channel);
  void Connected(Channel& channel);
  void StartRead(Channel& channel);
  void Completed(Operation* operation, DWORD bytes, DWORD error);
  void Drop(Channel& channel, std::wstring why);
  Channel* Find(DWORD session);
  Channel* FindById(unsigned long long id);
  void Issue(std::unique_ptr<Operation> operation, BOOL started, DWORD error);

  EngineReports& reports_;
  unique_handle port_;
  unique_handle thread_;
  CriticalSection commandLock_;
  std::deque<Command> commands_;
  // The pipe thread's own.
  std::deque<std::unique_ptr<Channel>> channels_;
  unsigned long long nextId_ = 1;
  long pending_ = 0;  // operations the system still holds
};

}  // namespace lullan::engine
