#include "process_measures.h"

#include <psapi.h>
#include <tlhelp32.h>

#include "handles.h"

namespace lullan::bench {

DWORD CountOpenHandles() {
  DWORD reported = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &reported) && reported > 0) return reported;
  DWORD open = 0;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++open;
  }
  return open;
}

SIZE_T PrivateBytes(HANDLE process) {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const BYTE* at = nullptr; ::VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
       at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return total;
}

double ProcessorMs(DWORD processId) {
  // Thread by thread: Wine reads each thread's times from the system, and
  // answers a process's with the caller's.
  double total = 0;
  unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && ::Thread32First(snapshot.get(), &entry); more;
       more = ::Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    unique_handle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
    FILETIME created, exited, kernel, user;
    if (!thread || !::GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) continue;
    auto ms = [](const FILETIME& t) {
      return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    total += ms(kernel) + ms(user);
  }
  return total;
}

}  // namespace lullan::bench
