// The agent's end of its session's pipe. The agent has one thread, whose
// message loop also waits on the link's two events (a read done, a write
// done) and then calls Pump: no second thread, whose stack alone would
// weigh more than the rest of the agent.
//
// One read is always outstanding. Writes go one at a time; a sample that
// comes while one is on its way replaces any sample still waiting, which
// only the newest matters of.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "handles.h"
#include "pipe_protocol.h"

namespace lullan::engine {

class AgentLink {
 public:
  AgentLink();
  AgentLink(const AgentLink&) = delete;
  AgentLink& operator=(const AgentLink&) = delete;

  // Connects to `pipeName`, trying for up to `timeoutMs` while the service
  // has not opened it yet; false with the last error when it cannot.
  bool Connect(const std::wstring& pipeName, DWORD timeoutMs);
  bool connected() const { return !broken_ && static_cast<bool>(pipe_); }

  // The events the message loop waits on, besides the queue.
  const HANDLE* events() const { return events_; }
  static constexpr DWORD kEventCount = 2;

  // Takes what completed: the messages the service sent, in order. The link
  // breaks on an error or a malformed message; connected() then says so.
  std::vector<Message> Pump();

  void Send(const Message& message);

 private:
  void StartRead();
  void StartWrite(std::vector<BYTE> bytes);

  unique_file pipe_;
  unique_handle readDone_;
  unique_handle writeDone_;
  HANDLE events_[kEventCount] = {};
  OVERLAPPED readOverlapped_{};
  OVERLAPPED writeOverlapped_{};
  std::vector<BYTE> readBuffer_;
  std::vector<BYTE> writing_;
  std::optional<std::vector<BYTE>> waiting_;
  bool reading_ = false;
  bool broken_ = false;
};

}  // namespace lullan::engine
