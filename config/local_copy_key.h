// How the General and Profile pages open their target key: in the console
// the machine's local copy (or the profile's key) as it stands, in setup the
// version key, made when missing. A console sheet without a machine has no
// key path; these say so in the pages' words and open nothing.
#pragma once

#include <windows.h>

#include <string>

#include "config_key.h"

namespace lullan::config {

// Console: open-existing; setup: create-then-read-if-existing.
ConfigKey OpenLocalCopyForReading(HWND owner, const std::wstring& path, bool setup);
// The console's writing: open-existing.
ConfigKey OpenLocalCopyForWriting(HWND owner, const std::wstring& path);

}  // namespace lullan::config
