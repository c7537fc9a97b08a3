#include "agent_channels.h"

#include <sddl.h>
#include <process.h>

#include <algorithm>

#include "platform.h"
#include "text_format.h"

namespace lullan::engine {

namespace {

// The completion key of the engine thread's commands; pipes have key 0.
constexpr ULONG_PTR kCommandKey = 1;
constexpr DWORD kPipeBuffer = 4096;

// Read and write, but not FILE_CREATE_PIPE_INSTANCE: the session's user may
// talk to the service, never serve the pipe in its place.
constexpr DWORD kClientAccess = (FILE_GENERIC_READ | FILE_GENERIC_WRITE) & ~FILE_CREATE_PIPE_INSTANCE;

// Whether the system will queue a completion packet for an overlapped call
// that returned `started` with `error`: when it is pending or done, and for
// a message longer than the buffer (a warning, not an error); never for a
// call that failed outright or a pipe found already connected.
bool PacketFollows(BOOL started, DWORD error) {
  return started || error == ERROR_IO_PENDING || error == ERROR_MORE_DATA;
}

// The process at the other end of a pipe. Windows XP lacks the call: there
// the pipe's security alone (the session's logon SID) admits the session's
// programs, and the client counts as the session's.
bool ClientProcessId(HANDLE pipe, ULONG* processId) {
  using Query = BOOL(WINAPI*)(HANDLE, PULONG);
  static const Query query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetNamedPipeClientProcessId")));
  if (!query) {
    *processId = 0;
    return true;
  }
  return query(pipe, processId) != FALSE;
}

}  // namespace

struct AgentChannels::Channel {
  unsigned long long id;
  DWORD session;
  unique_file pipe;
  bool connected = false;
  bool greeted = false;  // the agent's Hello has come
};

struct AgentChannels::Operation {
  enum Kind { kConnect, kRead, kWrite };
  OVERLAPPED overlapped{};  // first: the completion hands back its address
  Kind kind;
  unsigned long long channel;
  std::vector<BYTE> buffer;
};

std::wstring AgentPipeSddl(PSID logonSid) {
  unique_local_memory text;
  if (!::ConvertSidToStringSidW(logonSid, reinterpret_cast<LPWSTR*>(text.put()))) return {};
  return FormatText(L"D:P(A;;GA;;;SY)(A;;0x%lx;;;%s)", static_cast<unsigned long>(kClientAccess),
                    static_cast<const wchar_t*>(text.get()));
}

AgentChannels::AgentChannels(EngineReports& reports) : reports_(reports) {}

AgentChannels::~AgentChannels() { Stop(); }

bool AgentChannels::Start() {
  port_.reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  if (!port_) return false;
  thread_.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr)));
  return static_cast<bool>(thread_);
}

void AgentChannels::Stop() {
  if (!thread_) return;
  Post(StopCommand{});
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

void AgentChannels::Open(DWORD session, std::vector<BYTE> logonSid) { Post(OpenCommand{session, std::move(logonSid)}); }

void AgentChannels::OpenChannel(DWORD session, const std::vector<BYTE>& logonSid) {
  // The session's old pipe, if any, goes first: a new logon in the session gets a pipe of its own.
  auto old = std::find_if(channels_.begin(), channels_.end(),
                          [&](const std::unique_ptr<Channel>& c) { return c->session == session; });
  if (old != channels_.end()) channels_.erase(old);

  std::vector<BYTE> sid(logonSid);
  std::wstring sddl = sid.empty() ? std::wstring() : AgentPipeSddl(sid.data());
  unique_local_memory descriptor;
  if (sddl.empty() ||
      !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          sddl.c_str(), SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.put()), nullptr)) {
    reports_.Push(PipeFailed{session, sddl.empty() ? static_cast<DWORD>(ERROR_INVALID_SID) : ::GetLastError()});
    return;
  }
  SECURITY_ATTRIBUTES security{sizeof security, descriptor.get(), FALSE};
  // The first instance, and the only one: a name someone else created first
  // is not served (whoever holds it would hear the agent).
  auto channel = std::make_unique<Channel>();
  channel->id = nextId_++;
  channel->session = session;
  channel->pipe.reset(::CreateNamedPipeW(
      AgentPipeName(session).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, kPipeBuffer, kPipeBuffer, 0, &security));
  if (!channel->pipe || !::CreateIoCompletionPort(channel->pipe.get(), port_.get(), 0, 0)) {
    reports_.Push(PipeFailed{session, ::GetLastError()});
    return;
  }
  channels_.push_back(std::move(channel));
  Listen(*channels_.back());
}

void AgentChannels::Close(DWORD session) { Post(CloseCommand{session}); }

void AgentChannels::Send(DWORD session, const Message& message) { Post(SendCommand{session, Encode(message)}); }

void AgentChannels::Post(Command command) {
  {
    CriticalSectionLock hold(commandLock_);
    commands_.push_back(std::move(command));
  }
  ::PostQueuedCompletionStatus(port_.get(), 0, kCommandKey, nullptr);
}

unsigned __stdcall AgentChannels::ThreadMain(void* self) noexcept {
  try {
    static_cast<AgentChannels*>(self)->Run();
  } catch (...) {
    // Out of memory: the pipes close with the object; the agents see them go.
  }
  return 0;
}

void AgentChannels::Run() {
  bool stopping = false;
  while (!stopping || pending_ > 0) {
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = nullptr;
    // Once stopping, the operations of the closed pipes come back at once;
    // should one not, the process is ending and takes it along.
    BOOL ok = ::GetQueuedCompletionStatus(port_.get(), &bytes, &key, &overlapped, stopping ? 5000 : INFINITE);
    DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (!overlapped) {
      if (!ok) return;  // the port failed, or the stop outwaited
      if (key == kCommandKey && !stopping && !TakeCommands()) {
        stopping = true;
        channels_.clear();  // closing the pipes completes what they have pending
      }
      continue;
    }
    --pending_;
    std::unique_ptr<Operation> operation(reinterpret_cast<Operation*>(overlapped));
    if (!stopping) Completed(operation.get(), bytes, error);
  }
}

bool AgentChannels::TakeCommands() {
  for (;;) {
    Command command;
    {
      CriticalSectionLock hold(commandLock_);
      if (commands_.empty()) return true;
      command = std::move(commands_.front());
      commands_.pop_front();
    }
    if (std::holds_alternative<StopCommand>(command)) return false;
    if (auto* open = std::get_if<OpenCommand>(&command)) {
      OpenChannel(open->session, open->logonSid);
    } else if (auto* close = std::get_if<CloseCommand>(&command)) {
      auto found = std::find_if(channels_.begin(), channels_.end(),
                                [&](const std::unique_ptr<Channel>& c) { return c->session == close->session; });
      if (found != channels_.end()) channels_.erase(found);  // pending operations come back aborted
    } else if (auto* send = std::get_if<SendCommand>(&command)) {
      Channel* channel = Find(send->session);
      if (!channel || !channel->connected) continue;  // no agent to tell
      auto operation = std::make_unique<Operation>();
      operation->kind = Operation::kWrite;
      operation->channel = channel->id;
      operation->buffer = std::move(send->bytes);
      BOOL started = ::WriteFile(channel->pipe.get(), operation->buffer.data(),
                                 static_cast<DWORD>(operation->buffer.size()), nullptr, &operation->overlapped);
      Issue(std::move(operation), started, started ? ERROR_SUCCESS : ::GetLastError());
    }
  }
}

// Hands an operation to the system when a completion will bring it back;
// otherwise it ends here, as its completion would.
void AgentChannels::Issue(std::unique_ptr<Operation> operation, BOOL started, DWORD error) {
  if (PacketFollows(started, error)) {
    operation.release();
    ++pending_;
    return;
  }
  Completed(operation.get(), 0, error);
}

void AgentChannels::Listen(Channel& channel) {
  channel.connected = false;
  channel.greeted = false;
  auto operation = std::make_unique<Operation>();
  operation->kind = Operation::kConnect;
  operation->channel = channel.id;
  BOOL started = ::ConnectNamedPipe(channel.pipe.get(), &operation->overlapped);
  DWORD error = started ? ERROR_SUCCESS : ::GetLastError();
  // A client that came between the pipe's creation (or the last disconnect)
  // and this call is connected already, and no packet follows.
  if (error == ERROR_PIPE_CONNECTED) error = ERROR_SUCCESS;
  Issue(std::move(operation), started, error);
}

void AgentChannels::Connected(Channel& channel) {
  ULONG processId = 0;
  DWORD clientSession = channel.session;
  if (!ClientProcessId(channel.pipe.get(), &processId) ||
      (processId != 0 && !platform().sessions->ProcessIdToSessionId(processId, &clientSession))) {
    Drop(channel, FormatText(L"its client cannot be identified (error %lu)", ::GetLastError()));
    return;
  }
  if (clientSession != channel.session) {
    reports_.Push(ClientRefused{channel.session, processId, clientSession});
    ::DisconnectNamedPipe(channel.pipe.get());
    Listen(channel);
    return;
  }
  channel.connected = true;
  reports_.Push(AgentConnected{channel.session, processId});
  StartRead(channel);
}

void AgentChannels::StartRead(Channel& channel) {
  auto operation = std::make_unique<Operation>();
  operation->kind = Operation::kRead;
  operation->channel = channel.id;
  operation->buffer.resize(kLongestMessage);
  BOOL started =
      ::ReadFile(channel.pipe.get(), operation->buffer.data(), kLongestMessage, nullptr, &operation->overlapped);
  Issue(std::move(operation), started, started ? ERROR_SUCCESS : ::GetLastError());
}

// Ends the connection of a channel and listens for the session's next agent.
void AgentChannels::Drop(Channel& channel, std::wstring why) {
  if (channel.connected) reports_.Push(AgentDisconnected{channel.session, std::move(why)});
  ::DisconnectNamedPipe(channel.pipe.get());
  Listen(channel);
}

void AgentChannels::Completed(Operation* operation, DWORD bytes, DWORD error) {
  Channel* channel = FindById(operation->channel);
  if (!channel) return;  // closed since
  switch (operation->kind) {
    case Operation::kConnect:
      if (error != ERROR_SUCCESS) {
        // The pipe itself failed: it is given up, and the session's next
        // rescan opens a new one.
        reports_.Push(PipeFailed{channel->session, error});
        channels_.erase(std::find_if(channels_.begin(), channels_.end(),
                                     [&](const std::unique_ptr<Channel>& c) { return c.get() == channel; }));
        return;
      }
      Connected(*channel);
      return;
    case Operation::kRead: {
      if (error == ERROR_MORE_DATA) {
        Drop(*channel, L"a message longer than any the agent sends");
        return;
      }
      if (error != ERROR_SUCCESS) {
        Drop(*channel, error == ERROR_BROKEN_PIPE ? std::wstring(L"the agent closed its end")
                                                  : FormatText(L"reading failed (error %lu)", error));
        return;
      }
      std::optional<Message> message = Decode(std::span<const BYTE>(operation->buffer.data(), bytes));
      bool hello = message && std::holds_alternative<Hello>(*message);
      bool report = message && IsAgentReport(*message);
      if ((hello && channel->greeted) || (report && !channel->greeted) || (!hello && !report)) {
        Drop(*channel, L"a malformed message");
        return;
      }
      if (hello) {
        channel->greeted = true;
      } else if (const Sample* sample = std::get_if<Sample>(&*message)) {
        reports_.Push(AgentSampled{channel->session, *sample, ::GetTickCount()});
      } else {
        reports_.Push(AgentReported{channel->session, *message, ::GetTickCount()});
      }
      StartRead(*channel);
      return;
    }
    case Operation::kWrite:
      // A write that fails shows as a failed read too; nothing to do here.
      return;
  }
}

AgentChannels::Channel* AgentChannels::Find(DWORD session) {
  for (auto& channel : channels_) {
    if (channel->session == session) return channel.get();
  }
  return nullptr;
}

AgentChannels::Channel* AgentChannels::FindById(unsigned long long id) {
  for (auto& channel : channels_) {
    if (channel->id == id) return channel.get();
  }
  return nullptr;
}

}  // namespace lullan::engine
