// The planted program itself: records that it ran, and how, and ends.
#include <windows.h>

#include <cwchar>

#include "handles.h"
#include "planted_program.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*arguments*/, int /*show*/) {
  using namespace lullan;
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, test::kPlantedProgramKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return 1;
  const wchar_t* commandLine = ::GetCommandLineW();
  ::RegSetValueExW(key.get(), test::kPlantedProgramValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                   static_cast<DWORD>((std::wcslen(commandLine) + 1) * sizeof(wchar_t)));
  return 0;
}
