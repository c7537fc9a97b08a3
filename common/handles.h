// Owners for the handle kinds the suite uses. Every handle, key, token and
// buffer the programs acquire lives in one of these, so that nothing needs a
// manual close on an error path.
#pragma once

#include <windows.h>
#include <lm.h>

#include "unique_any.h"

namespace lullan {

namespace traits {

// Kernel handles come back as null from most calls that fail (events,
// threads, tokens, processes) and as INVALID_HANDLE_VALUE from CreateFile,
// CreateNamedPipe and CreateToolhelp32Snapshot. Both owners take either value
// as "no handle", so a failure kept in the other kind of owner is neither
// mistaken for a handle nor closed.
inline bool IsKernelHandle(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }

struct Handle {  // kernel objects whose "none" is null: events, threads, tokens, processes
  using type = HANDLE;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return IsKernelHandle(h); }
  static void close(type h) noexcept { ::CloseHandle(h); }
};

struct FileHandle {  // CreateFile and friends, whose "none" is INVALID_HANDLE_VALUE
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool is_valid(type h) noexcept { return IsKernelHandle(h); }
  static void close(type h) noexcept { ::CloseHandle(h); }
};

struct FindHandle {  // FindFirstFileW, which fails with INVALID_HANDLE_VALUE
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { ::FindClose(h); }
};

struct Key {
  using type = HKEY;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::RegCloseKey(h); }
};

struct ServiceHandle {
  using type = SC_HANDLE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::CloseServiceHandle(h); }
};

struct LocalMemory {
  using type = void*;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { ::LocalFree(p); }
};

struct ProcessHeapMemory {
  using type = void*;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { ::HeapFree(::GetProcessHeap(), 0, p); }
};

struct NetApiBuffer {
  using type = void*;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { ::NetApiBufferFree(p); }
};

struct Library {
  using type = HMODULE;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::FreeLibrary(h); }
};

struct AllocatedSid {  // AllocateAndInitializeSid
  using type = PSID;
  static type invalid() noexcept { return nullptr; }
  static void close(type sid) noexcept { ::FreeSid(sid); }
};

}  // namespace traits

using unique_handle = unique_any<traits::Handle>;
using unique_file = unique_any<traits::FileHandle>;
using unique_find = unique_any<traits::FindHandle>;
using unique_hkey = unique_any<traits::Key>;
using unique_schandle = unique_any<traits::ServiceHandle>;
using unique_local_memory = unique_any<traits::LocalMemory>;
using unique_heap_memory = unique_any<traits::ProcessHeapMemory>;
using unique_netapi_buffer = unique_any<traits::NetApiBuffer>;
using unique_library = unique_any<traits::Library>;
using unique_allocated_sid = unique_any<traits::AllocatedSid>;

// A typed view of an owned buffer, for APIs that hand back structures.
template <typename T, typename Owner>
T* as(const Owner& owner) noexcept {
  return static_cast<T*>(owner.get());
}

}  // namespace lullan
