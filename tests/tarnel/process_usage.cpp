#include "process_usage.h"

namespace lullan::test {

namespace {

// Where the count stops: this far past the last open handle found.
constexpr ULONG_PTR kHandleValuesPastTheLast = 0x4000;

}  // namespace

size_t ProcessUsage::ReservedBytes() {
  size_t reserved = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (auto* at = static_cast<const BYTE*>(nullptr); ::VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
    if (region.State != MEM_FREE) reserved += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return reserved;
}

ProcessUsage ProcessUsage::Now() {
  ProcessUsage usage{ReservedBytes(), 0};
  // Counted one by one: Wine's GetProcessHandleCount always says 0. Handle
  // values are multiples of four, handed out lowest first.
  DWORD flags = 0;
  for (ULONG_PTR value = 4, last = 0; value < last + kHandleValuesPastTheLast; value += 4) {
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      ++usage.handles;
      last = value;
    }
  }
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
