// Reading the engine's configuration from the version key (and its Groups
// subkey) of this machine. Each value is read on its own, under the rules the
// configuration pages apply: one that is absent, of the wrong type or size,
// out of range or without its terminator takes its default, so the engine
// does what the pages show. A group value that is no REG_DWORD, or whose name
// has neither prefix, or minutes outside 1 to 10080, is passed over.
#pragma once

#include <windows.h>

#include "engine_config.h"

namespace lullan::engine {

// The value that turns every action into a record of what would have been done.
inline constexpr wchar_t kDryRunValue[] = L"DryRun";
// Minutes at the logon screen, with nobody logged on, after which the machine
// is shut down (a REG_DWORD; absent or 0: never). No page shows it.
inline constexpr wchar_t kLogonScreenShutdownMinutesValue[] = L"LogonScreenShutdownMinutes";

// `versionKey` open for KEY_QUERY_VALUE (and KEY_ENUMERATE_SUB_KEYS for Groups).
EngineConfig ReadEngineConfig(HKEY versionKey);

// The .EXE files of ExcludeFiles, split at its commas (blank entries dropped).
std::vector<std::wstring> SplitFileList(std::wstring_view list);

}  // namespace lullan::engine
