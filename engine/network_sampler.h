// The machine's network traffic, for NetBytesSec: bytes sent and received on
// every interface but the loopback, averaged over the last minute.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <optional>
#include <span>

#include "decisions.h"

namespace lullan::engine {

// The arithmetic, fed with the interfaces' counters: the counters are 32-bit
// and wrap, interfaces come and go.
class NetworkRate {
 public:
  struct Counters {
    DWORD index;  // the interface
    DWORD inOctets;
    DWORD outOctets;
  };
  static constexpr Tick kWindow = kMinute;

  void Add(Tick at, std::span<const Counters> interfaces);
  // Bytes per second over the samples of the last minute; nullopt until two
  // samples lie a second or more apart.
  std::optional<DWORD> BytesPerSecond() const;

 private:
  struct Step {
    Tick from;
    Tick to;
    unsigned long long bytes;
  };
  std::map<DWORD, Counters> previous_;
  std::optional<Tick> previousAt_;
  std::deque<Step> steps_;
};

class NetworkSampler {
 public:
  // Reads the interfaces' counters (GetIfTable); false when they cannot be read.
  bool Sample(Tick now);
  std::optional<DWORD> BytesPerSecond() const { return rate_.BytesPerSecond(); }

 private:
  NetworkRate rate_;
};

}  // namespace lullan::engine
