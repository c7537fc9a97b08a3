#include "network_sampler.h"

#include <iphlpapi.h>

#include <vector>

namespace lullan::engine {

void NetworkRate::Add(Tick at, std::span<const Counters> interfaces) {
  std::map<DWORD, Counters> now;
  for (const Counters& counters : interfaces) now[counters.index] = counters;
  if (previousAt_ && at > *previousAt_) {
    unsigned long long bytes = 0;
    for (const auto& [index, counters] : now) {
      auto before = previous_.find(index);
      if (before == previous_.end()) continue;  // a new interface counts from its next sample
      // Unsigned differences: right across a counter's wrap.
      bytes += static_cast<DWORD>(counters.inOctets - before->second.inOctets);
      bytes += static_cast<DWORD>(counters.outOctets - before->second.outOctets);
    }
    steps_.push_back(Step{*previousAt_, at, bytes});
  }
  previous_ = std::move(now);
  previousAt_ = at;
  while (!steps_.empty() && steps_.front().to + kWindow <= at) steps_.pop_front();
}

std::optional<DWORD> NetworkRate::BytesPerSecond() const {
  if (steps_.empty()) return std::nullopt;
  Tick span = steps_.back().to - steps_.front().from;
  if (span < 1000) return std::nullopt;
  unsigned long long bytes = 0;
  for (const Step& step : steps_) bytes += step.bytes;
  unsigned long long rate = bytes * 1000 / span;
  return rate > MAXDWORD ? MAXDWORD : static_cast<DWORD>(rate);
}

bool NetworkSampler::Sample(Tick now) {
  DWORD size = 0;
  if (::GetIfTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.data());
  if (::GetIfTable(table, &size, FALSE) != NO_ERROR) return false;
  std::vector<NetworkRate::Counters> interfaces;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IFROW& row = table->table[i];
    if (row.dwType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
    interfaces.push_back(NetworkRate::Counters{row.dwIndex, row.dwInOctets, row.dwOutOctets});
  }
  rate_.Add(now, interfaces);
  return true;
}

}  // namespace lullan::engine
