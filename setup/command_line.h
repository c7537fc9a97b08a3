// setup's command line. The Add/Remove Programs entry runs "setup.exe /u".
#pragma once

#include <string_view>

namespace lullan::setup {

// True for uninstall mode: the character after the first "/" or "-" of the
// arguments is u or r in either case. Anything else, or no switch character
// at all, is interactive mode. The program's own path (quoted, or up to the
// first blank) is passed over: a directory such as "D:\Fennick-Tools\Lullan"
// must not choose the mode for the "/u" behind it.
bool IsUninstallCommandLine(std::wstring_view commandLine);

}  // namespace lullan::setup
