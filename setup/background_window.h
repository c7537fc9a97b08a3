// The blue window behind setup's dialogs before the product is installed,
// with "Fennick Software Setup" across its top, as installers of its day drew
// it. It lives until the process ends.
#pragma once

#include <windows.h>

namespace lullan::setup {

inline constexpr wchar_t kBackgroundClass[] = L"BkgWnd";

// Registers the window class with `brush` as its background and creates the
// window maximised; null when either failed.
HWND CreateBackgroundWindow(HBRUSH brush);

}  // namespace lullan::setup
