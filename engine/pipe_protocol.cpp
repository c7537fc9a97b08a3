#include "pipe_protocol.h"

#include <algorithm>
#include <cstring>

#include "text_format.h"

namespace lullan::engine {

namespace {

enum Type : DWORD {
  kHelloType = 1,
  kSampleType = 2,
  kDisplayType = 3,
  kCancelType = 4,
  kSoundFailedType = 5,
  kLogOffType = 0x101,
  kQuitType = 0x102,
  kCountdownType = 0x103,
  kEndCountdownType = 0x104,
  kPlayWaveType = 0x105,
  kTrayTipType = 0x106,
};

struct Header {
  DWORD type;
  DWORD size;  // of the payload
};

constexpr DWORD kLocked = 0x1;
constexpr DWORD kScreenSaver = 0x2;
constexpr DWORD kKnownSampleFlags = kLocked | kScreenSaver;

// A message's payload as it is built: DWORDs and texts, in order.
class Writer {
 public:
  explicit Writer(DWORD type) : bytes_(sizeof(Header)) { header_.type = type; }
  Writer& Number(DWORD value) {
    Append(&value, sizeof value);
    return *this;
  }
  Writer& Text(const std::wstring& text) {
    DWORD count = static_cast<DWORD>(std::min<size_t>(text.size(), kLongestText));
    Number(count);
    Append(text.data(), count * sizeof(wchar_t));
    return *this;
  }
  std::vector<BYTE> Done() {
    header_.size = static_cast<DWORD>(bytes_.size() - sizeof header_);
    std::memcpy(bytes_.data(), &header_, sizeof header_);
    return std::move(bytes_);
  }

 private:
  void Append(const void* data, size_t size) {
    const BYTE* first = static_cast<const BYTE*>(data);
    bytes_.insert(bytes_.end(), first, first + size);
  }
  Header header_{};
  std::vector<BYTE> bytes_;
};

// A payload as it is read: each read fails once anything was missing or out
// of bounds, and Done() says whether exactly the whole payload was read.
class Reader {
 public:
  explicit Reader(std::span<const BYTE> payload) : rest_(payload) {}
  DWORD Number() {
    DWORD value = 0;
    Take(&value, sizeof value);
    return value;
  }
  bool Flag() {
    DWORD value = Number();
    if (value > 1) ok_ = false;
    return value != 0;
  }
  std::wstring Text() {
    DWORD count = Number();
    if (count > kLongestText) ok_ = false;
    if (!ok_) return {};
    std::wstring text(count, L'\0');
    Take(text.data(), count * sizeof(wchar_t));
    return text;
  }
  bool Done() const { return ok_ && rest_.empty(); }

 private:
  void Take(void* out, size_t size) {
    if (!ok_ || rest_.size() < size) {
      ok_ = false;
      return;
    }
    std::memcpy(out, rest_.data(), size);
    rest_ = rest_.subspan(size);
  }
  std::span<const BYTE> rest_;
  bool ok_ = true;
};

template <typename T>
std::optional<Message> IfDone(const Reader& reader, T message) {
  if (!reader.Done()) return std::nullopt;
  return Message{std::move(message)};
}

}  // namespace

std::wstring AgentPipeName(DWORD session) { return FormatText(L"\\\\.\\pipe\\Lullan.Agent.%lu", session); }

bool IsAgentReport(const Message& message) {
  return std::holds_alternative<Sample>(message) || std::holds_alternative<Display>(message) ||
         std::holds_alternative<Cancel>(message) || std::holds_alternative<SoundFailed>(message);
}

std::vector<BYTE> Encode(const Message& message) {
  struct Encoder {
    std::vector<BYTE> operator()(const Hello& m) const { return Writer(kHelloType).Number(m.version).Done(); }
    std::vector<BYTE> operator()(const Sample& m) const {
      DWORD flags = (m.locked ? kLocked : 0) | (m.screenSaverRunning ? kScreenSaver : 0);
      return Writer(kSampleType).Number(m.inputIdleMs).Number(m.keyIdleMs).Number(flags).Done();
    }
    std::vector<BYTE> operator()(const Display& m) const {
      return Writer(kDisplayType).Number(m.keptOn).Text(m.program).Done();
    }
    std::vector<BYTE> operator()(const Cancel&) const { return Writer(kCancelType).Done(); }
    std::vector<BYTE> operator()(const SoundFailed& m) const {
      return Writer(kSoundFailedType).Number(m.error).Text(m.file).Done();
    }
    std::vector<BYTE> operator()(const LogOff&) const { return Writer(kLogOffType).Done(); }
    std::vector<BYTE> operator()(const Quit&) const { return Writer(kQuitType).Done(); }
    std::vector<BYTE> operator()(const Countdown& m) const {
      return Writer(kCountdownType)
          .Number(m.seconds)
          .Number(static_cast<DWORD>(m.ending))
          .Number(m.userMayCancel)
          .Text(m.why)
          .Text(m.message)
          .Done();
    }
    std::vector<BYTE> operator()(const EndCountdown&) const { return Writer(kEndCountdownType).Done(); }
    std::vector<BYTE> operator()(const PlayWave& m) const { return Writer(kPlayWaveType).Text(m.file).Done(); }
    std::vector<BYTE> operator()(const TrayTip& m) const { return Writer(kTrayTipType).Text(m.text).Done(); }
  };
  return std::visit(Encoder{}, message);
}

std::optional<Message> Decode(std::span<const BYTE> bytes) {
  Header header;
  if (bytes.size() < sizeof header || bytes.size() > kLongestMessage) return std::nullopt;
  std::memcpy(&header, bytes.data(), sizeof header);
  std::span<const BYTE> payload = bytes.subspan(sizeof header);
  if (header.size != payload.size()) return std::nullopt;
  Reader read(payload);
  switch (header.type) {
    case kHelloType: {
      Hello hello{read.Number()};
      if (hello.version != kProtocolVersion) return std::nullopt;
      return IfDone(read, hello);
    }
    case kSampleType: {
      Sample sample;
      sample.inputIdleMs = read.Number();
      sample.keyIdleMs = read.Number();
      DWORD flags = read.Number();
      if ((flags & ~kKnownSampleFlags) != 0) return std::nullopt;
      sample.locked = (flags & kLocked) != 0;
      sample.screenSaverRunning = (flags & kScreenSaver) != 0;
      return IfDone(read, sample);
    }
    case kDisplayType: {
      Display display;
      display.keptOn = read.Flag();
      display.program = read.Text();
      return IfDone(read, display);
    }
    case kCancelType:
      return IfDone(read, Cancel{});
    case kSoundFailedType: {
      SoundFailed failed;
      failed.error = read.Number();
      failed.file = read.Text();
      return IfDone(read, failed);
    }
    case kLogOffType:
      return IfDone(read, LogOff{});
    case kQuitType:
      return IfDone(read, Quit{});
    case kCountdownType: {
      Countdown countdown;
      countdown.seconds = read.Number();
      DWORD ending = read.Number();
      if (ending > static_cast<DWORD>(Ending::kReboot)) return std::nullopt;
      countdown.ending = static_cast<Ending>(ending);
      countdown.userMayCancel = read.Flag();
      countdown.why = read.Text();
      countdown.message = read.Text();
      return IfDone(read, countdown);
    }
    case kEndCountdownType:
      return IfDone(read, EndCountdown{});
    case kPlayWaveType:
      return IfDone(read, PlayWave{read.Text()});
    case kTrayTipType:
      return IfDone(read, TrayTip{read.Text()});
    default:
      return std::nullopt;
  }
}

}  // namespace lullan::engine
