#include "windows_version.h"

#include <windows.h>

namespace lullan {

bool IsWindowsNT() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;  // 148 bytes: the plain record, not the Ex one
  if (!::GetVersionExA(&version)) return false;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace lullan
