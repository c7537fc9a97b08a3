// What the service and a session agent say to each other over the session's
// named pipe: short messages in message mode, each a header (type, payload
// size) and a payload of exactly the size its type has. The decoder takes
// nothing else: an unknown type, a wrong size or a message longer than
// kLongestMessage is malformed, and the reader closes that connection.
//
//   agent -> service   Hello (once, first), Sample (whenever what it sees
//                      changes), Display (whenever it changes), Cancel (the
//                      user pressed Cancel), SoundFailed
//   service -> agent   LogOff (end the session; its programs may refuse), Quit,
//                      Countdown, EndCountdown, PlayWave, TrayTip
//
// Texts travel as a DWORD count of characters and the characters, with no
// terminator; none is longer than kLongestText (a longer one is cut when it
// is encoded, and malformed when it is decoded).
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
inline constexpr DWORD kLongestMessage = 2048;  // bytes, header included
inline constexpr DWORD kLongestText = 300;      // characters

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

// The session's foreground program keeps the display on (presentation or
// full-screen state, a display request); `program` is its file name.
struct Display {
  bool keptOn = false;
  std::wstring program;
  bool operator==(const Display&) const = default;
};

// The user pressed Cancel in the countdown.
struct Cancel {
  bool operator==(const Cancel&) const = default;
};

// The WAV file could not be played in the session (`error`, a system error code).
struct SoundFailed {
  DWORD error = 0;
  std::wstring file;
  bool operator==(const SoundFailed&) const = default;
};

// What will happen to the session when its countdown ends.
enum class Ending : DWORD { kLogOff = 0, kShutDown = 1, kReboot = 2 };

// Show the countdown: `seconds` from now the service acts.
struct Countdown {
  DWORD seconds = 0;
  Ending ending = Ending::kLogOff;
  bool userMayCancel = false;
  std::wstring why;      // "idle 30 minutes"
  std::wstring message;  // CustomMessage, or empty
  bool operator==(const Countdown&) const = default;
};

// The countdown ended early (the user's input cancelled it): close it.
struct EndCountdown {
  bool operator==(const EndCountdown&) const = default;
};

// Play the WAV file once, without waiting for it.
struct PlayWave {
  std::wstring file;
  bool operator==(const PlayWave&) const = default;
};

// The tray icon's tooltip; empty: no icon.
struct TrayTip {
  std::wstring text;
  bool operator==(const TrayTip&) const = default;
};

using Message =
    std::variant<Hello, Sample, LogOff, Quit, Display, Cancel, SoundFailed, Countdown, EndCountdown, PlayWave, TrayTip>;

// Whether an agent may send `message` once it has said Hello.
bool IsAgentReport(const Message& message);

std::vector<BYTE> Encode(const Message& message);
// The message `bytes` hold, or nullopt when they are malformed.
std::optional<Message> Decode(std::span<const BYTE> bytes);

}  // namespace lullan::engine
