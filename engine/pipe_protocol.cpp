#include "pipe_protocol.h"

#include <cstring>

#include "text_format.h"

namespace lullan::engine {

namespace {

enum Type : DWORD { kHelloType = 1, kSampleType = 2, kLogOffType = 0x101, kQuitType = 0x102 };

struct Header {
  DWORD type;
  DWORD size;  // of the payload
};

constexpr DWORD kLocked = 0x1;
constexpr DWORD kScreenSaver = 0x2;
constexpr DWORD kKnownSampleFlags = kLocked | kScreenSaver;

struct SamplePayload {
  DWORD inputIdleMs;
  DWORD keyIdleMs;
  DWORD flags;
};

template <typename Payload>
std::vector<BYTE> Pack(DWORD type, const Payload* payload) {
  Header header{type, payload ? static_cast<DWORD>(sizeof(Payload)) : 0};
  std::vector<BYTE> bytes(sizeof header + header.size);
  std::memcpy(bytes.data(), &header, sizeof header);
  if (payload) std::memcpy(bytes.data() + sizeof header, payload, sizeof(Payload));
  return bytes;
}

template <typename Payload>
bool Unpack(std::span<const BYTE> payload, Payload* out) {
  if (payload.size() != sizeof(Payload)) return false;
  std::memcpy(out, payload.data(), sizeof(Payload));
  return true;
}

}  // namespace

std::wstring AgentPipeName(DWORD session) { return FormatText(L"\\\\.\\pipe\\Lullan.Agent.%lu", session); }

std::vector<BYTE> Encode(const Message& message) {
  struct Encoder {
    std::vector<BYTE> operator()(const Hello& hello) const { return Pack(kHelloType, &hello.version); }
    std::vector<BYTE> operator()(const Sample& sample) const {
      SamplePayload payload{sample.inputIdleMs, sample.keyIdleMs,
                            (sample.locked ? kLocked : 0) | (sample.screenSaverRunning ? kScreenSaver : 0)};
      return Pack(kSampleType, &payload);
    }
    std::vector<BYTE> operator()(const LogOff&) const { return Pack<DWORD>(kLogOffType, nullptr); }
    std::vector<BYTE> operator()(const Quit&) const { return Pack<DWORD>(kQuitType, nullptr); }
  };
  return std::visit(Encoder{}, message);
}

std::optional<Message> Decode(std::span<const BYTE> bytes) {
  Header header;
  if (bytes.size() < sizeof header || bytes.size() > kLongestMessage) return std::nullopt;
  std::memcpy(&header, bytes.data(), sizeof header);
  std::span<const BYTE> payload = bytes.subspan(sizeof header);
  if (header.size != payload.size()) return std::nullopt;
  switch (header.type) {
    case kHelloType: {
      Hello hello;
      if (!Unpack(payload, &hello.version) || hello.version != kProtocolVersion) return std::nullopt;
      return hello;
    }
    case kSampleType: {
      SamplePayload raw;
      if (!Unpack(payload, &raw) || (raw.flags & ~kKnownSampleFlags) != 0) return std::nullopt;
      return Sample{raw.inputIdleMs, raw.keyIdleMs, (raw.flags & kLocked) != 0, (raw.flags & kScreenSaver) != 0};
    }
    case kLogOffType:
      if (!payload.empty()) return std::nullopt;
      return LogOff{};
    case kQuitType:
      if (!payload.empty()) return std::nullopt;
      return Quit{};
    default:
      return std::nullopt;
  }
}

}  // namespace lullan::engine
