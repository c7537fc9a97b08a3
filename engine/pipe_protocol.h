// What the service and a session agent say to each other over the session's
// named pipe: short messages in message mode, each a header (type, payload
// size) and a payload of exactly the size its type has. The decoder takes
// nothing else: an unknown type, a wrong size or a message longer than
// kLongestMessage is malformed, and the reader closes that connection.
//
//   agent -> service   Hello (once, first), Sample (whenever what it sees changes)
//   service -> agent   LogOff (end the session; its programs may refuse), Quit
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace lullan::engine {

// "\\.\pipe\Lullan.Agent.<session>": one pipe per session, whose security
// admits LocalSystem and that session's logon only.
std::wstring AgentPipeName(DWORD session);

inline constexpr DWORD kProtocolVersion = 1;
inline constexpr DWORD kLongestMessage = 256;  // bytes, header included

struct Hello {
  DWORD version = kProtocolVersion;
  bool operator==(const Hello&) const = default;
};

// What the agent sees in its session.
struct Sample {
  DWORD inputIdleMs = 0;  // since the last input of any kind
  DWORD keyIdleMs = 0;    // since the last key, button or wheel
  bool locked = false;
  bool screenSaverRunning = false;
  bool operator==(const Sample&) const = default;
};

struct LogOff {
  bool operator==(const LogOff&) const = default;
};

struct Quit {
  bool operator==(const Quit&) const = default;
};

using Message = std::variant<Hello, Sample, LogOff, Quit>;

std::vector<BYTE> Encode(const Message& message);
// The message `bytes` hold, or nullopt when they are malformed.
std::optional<Message> Decode(std::span<const BYTE> bytes);

}  // namespace lullan::engine
