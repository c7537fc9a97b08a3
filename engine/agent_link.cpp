#include "agent_link.h"

namespace lullan::engine {

AgentLink::AgentLink()
    : readDone_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      writeDone_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      readBuffer_(kLongestMessage) {
  events_[0] = readDone_.get();
  events_[1] = writeDone_.get();
}

bool AgentLink::Connect(const std::wstring& pipeName, DWORD timeoutMs) {
  if (!readDone_ || !writeDone_) return false;
  const DWORD start = ::GetTickCount();
  for (;;) {
    // Identification only: whoever serves the pipe cannot act as this user.
    pipe_.reset(::CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    if (pipe_) break;
    DWORD error = ::GetLastError();
    DWORD waited = ::GetTickCount() - start;
    if ((error != ERROR_FILE_NOT_FOUND && error != ERROR_PIPE_BUSY) || waited >= timeoutMs) {
      ::SetLastError(error);
      return false;
    }
    // Not opened yet, or serving an agent that is going: look again shortly.
    if (error == ERROR_PIPE_BUSY) {
      ::WaitNamedPipeW(pipeName.c_str(), 250);
    } else {
      ::Sleep(250);
    }
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  if (!::SetNamedPipeHandleState(pipe_.get(), &mode, nullptr, nullptr)) {
    pipe_.reset();
    return false;
  }
  broken_ = false;
  StartRead();
  return connected();
}

void AgentLink::StartRead() {
  readOverlapped_ = OVERLAPPED{};
  readOverlapped_.hEvent = readDone_.get();
  if (!::ReadFile(pipe_.get(), readBuffer_.data(), static_cast<DWORD>(readBuffer_.size()), nullptr, &readOverlapped_) &&
      ::GetLastError() != ERROR_IO_PENDING && ::GetLastError() != ERROR_MORE_DATA) {
    broken_ = true;
    return;
  }
  reading_ = true;
}

void AgentLink::StartWrite(std::vector<BYTE> bytes) {
  writing_ = std::move(bytes);
  writeOverlapped_ = OVERLAPPED{};
  writeOverlapped_.hEvent = writeDone_.get();
  if (!::WriteFile(pipe_.get(), writing_.data(), static_cast<DWORD>(writing_.size()), nullptr, &writeOverlapped_) &&
      ::GetLastError() != ERROR_IO_PENDING) {
    broken_ = true;
    writing_.clear();
  }
}

void AgentLink::Send(const Message& message) {
  if (!connected()) return;
  std::vector<BYTE> bytes = Encode(message);
  if (!writing_.empty()) {
    waiting_ = std::move(bytes);
    return;
  }
  StartWrite(std::move(bytes));
}

std::vector<Message> AgentLink::Pump() {
  std::vector<Message> messages;
  DWORD bytes = 0;
  if (!writing_.empty() && ::GetOverlappedResult(pipe_.get(), &writeOverlapped_, &bytes, FALSE)) {
    writing_.clear();
    if (waiting_) {
      StartWrite(std::move(*waiting_));
      waiting_.reset();
    }
  } else if (!writing_.empty() && ::GetLastError() != ERROR_IO_INCOMPLETE) {
    broken_ = true;
  }
  // With nothing on its way the event must not stay set, or the loop would spin.
  if (writing_.empty()) ::ResetEvent(writeDone_.get());

  while (reading_ && !broken_) {
    if (!::GetOverlappedResult(pipe_.get(), &readOverlapped_, &bytes, FALSE)) {
      if (::GetLastError() == ERROR_IO_INCOMPLETE) break;
      broken_ = true;  // the service went, or sent more than any message holds
      break;
    }
    reading_ = false;
    std::optional<Message> message = Decode(std::span<const BYTE>(readBuffer_.data(), bytes));
    if (!message) {
      broken_ = true;
      break;
    }
    messages.push_back(*message);
    StartRead();
  }
  return messages;
}

}  // namespace lullan::engine
