// What this process holds of the machine: the address space it has reserved
// (committed or not) and its open handles, measured before and after a scan
// to tell whether the scan's threads gave everything back; and how much
// stack a thread has reserved, against what the program's header asks for
// every thread that does not say otherwise.
#pragma once

#include <windows.h>

#include <cstddef>

namespace lullan::test {

struct ProcessUsage {
  size_t reservedBytes;
  DWORD handles;

  static ProcessUsage Now();
  // The address space alone: cheap enough to watch a scan with (counting
  // the handles asks the system about every handle value in turn).
  static size_t ReservedBytes();
};

// The calling thread's stack reservation, from its base to its end.
size_t ThreadStackReservation();
// The reservation a thread gets by default (the image header's).
size_t DefaultStackReservation();

}  // namespace lullan::test
