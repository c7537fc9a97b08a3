// The system's text for a Win32 error code.
#pragma once

#include <windows.h>

#include <string>

namespace lullan {

// The system message for `code` without its trailing line end; empty when the
// system has none.
std::wstring SystemErrorText(DWORD code);
std::string SystemErrorTextA(DWORD code);

}  // namespace lullan
