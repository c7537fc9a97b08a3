// Which family of Windows the components run on. The shutdown privilege only
// exists on Windows NT; the 9x family lets anybody end the session.
#pragma once

namespace lullan {

// True when GetVersionExA reports VER_PLATFORM_WIN32_NT.
bool IsWindowsNT();

}  // namespace lullan
