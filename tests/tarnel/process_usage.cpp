#include "process_usage.h"

namespace lullan::test {

ProcessUsage ProcessUsage::Now() {
  ProcessUsage usage{0, 0};
  MEMORY_BASIC_INFORMATION region{};
  for (auto* at = static_cast<const BYTE*>(nullptr); ::VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
    if (region.State != MEM_FREE) usage.reservedBytes += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  ::GetProcessHandleCount(::GetCurrentProcess(), &usage.handles);
  return usage;
}

size_t ThreadStackReservation() {
  // The regions of the one reservation that holds this frame.
  const int local = 0;
  MEMORY_BASIC_INFORMATION region{};
  if (::VirtualQuery(&local, &region, sizeof region) != sizeof region) return 0;
  const void* const base = region.AllocationBase;
  size_t reserved = 0;
  for (auto* at = static_cast<const BYTE*>(base);
       ::VirtualQuery(at, &region, sizeof region) == sizeof region && region.AllocationBase == base;
       at += region.RegionSize)
    reserved += region.RegionSize;
  return reserved;
}

size_t DefaultStackReservation() {
  const auto* image = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
  const auto* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
  return static_cast<size_t>(headers->OptionalHeader.SizeOfStackReserve);
}

}  // namespace lullan::test
