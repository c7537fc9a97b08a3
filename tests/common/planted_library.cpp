// The planted library itself: records which program loaded it.
#include <windows.h>

#include "handles.h"
#include "planted_library.h"

namespace {

void RecordLoader() {
  using namespace lullan;
  wchar_t program[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameW(nullptr, program, ARRAYSIZE(program));
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, test::kPlantedLibraryKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return;
  ::RegSetValueExW(key.get(), test::kPlantedLibraryValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(program),
                   (length + 1) * sizeof(wchar_t));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) RecordLoader();
  return TRUE;
}

STDAPI DllRegisterServer() { return S_OK; }
STDAPI DllUnregisterServer() { return S_OK; }
