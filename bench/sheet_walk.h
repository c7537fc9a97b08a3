// Walks a configuration sheet as an administrator who looks at every page
// and confirms: opens it as its opener does, waits until the first page has
// come up and the sheet is idle, goes on page by page, each once it is idle,
// and presses OK on the last. A box that comes up is answered with Cancel
// (the only button of an OK box). When the Profile page holds OK up for want
// of a server, a server is typed and OK pressed again, as the page asks.
//
//   SheetWalk walk = WalkSheet(host, Target(), L"Lullan Configuration", SheetPages::Machine);
//   // walk.result == IDOK, walk.readyMs, walk.pagesShown == {L"General", ...}
//
// Idle means nothing is waiting in the thread's queue: no input, no posted
// or sent message, no part of a window left to paint. The walk looks every
// timer period (10 ms), so its times are late by at most that much.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "config_host.h"
#include "configuration_sheet.h"
#include "target.h"

namespace lullan::bench {

struct SheetWalk {
  INT_PTR result = -1;                   // what the opener returned
  double readyMs = 0;                    // from the call until the first page was up and idle
  double closedMs = 0;                   // from the call until the sheet had closed
  bool typedServer = false;              // the Profile page asked for a server and got one
  std::vector<std::wstring> pagesShown;  // the tabs' captions, as the pages came up
  std::vector<std::wstring> boxes;       // every box answered: its caption and texts
  std::vector<std::wstring> troubles;    // what kept the walk from its plan
};

SheetWalk WalkSheet(config::ConfigHost& host, const config::Target& target, const std::wstring& caption,
                    config::SheetPages pages);

// The server the walk types when the Profile page asks for one.
inline constexpr wchar_t kWalkServer[] = L"PROFSRV";

}  // namespace lullan::bench
