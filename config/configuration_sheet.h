// The configuration sheets the programs open, with their pages in the order
// an administrator always sees them: General, Groups, Tuning, Notification,
// and Profile for a machine. setup's Configure and the console's remote
// configuration open a machine's sheet; the console's shared profiles
// manager opens a profile's sheet, which has no Profile page.
#pragma once

#include <windows.h>

#include <string>

#include "config_host.h"
#include "target.h"

namespace lullan::config {

enum class SheetPages {
  Machine,  // General, Groups, Tuning, Notification, Profile
  Profile,  // General, Groups, Tuning, Notification
};

// Runs the sheet modally on `target` with `caption`; IDOK when the pages were
// confirmed, IDCANCEL otherwise.
INT_PTR ShowConfigurationSheet(HWND owner, ConfigHost& host, const Target& target, const std::wstring& caption,
                               SheetPages pages);

}  // namespace lullan::config
