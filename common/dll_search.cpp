#include "dll_search.h"

#include <windows.h>

namespace lullan {

namespace {

template <typename Function>
Function KernelFunction(const char* name) noexcept {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  // Through void(*)(): the export's real type is not FARPROC's.
  return kernel ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, name))) : nullptr;
}

}  // namespace

void LimitDllSearch() noexcept {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
  if (auto setDefault = KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories")) {
    if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR)) return;
  }
  if (auto setDirectory = KernelFunction<SetDllDirectoryFunction>("SetDllDirectoryW")) setDirectory(L"");
}

}  // namespace lullan
