// Whether the foreground program of the agent's session keeps the display
// on: the shell's presentation and full-screen states
// (SHQueryUserNotificationState: busy, full-screen Direct3D, presentation
// mode) or a display request (ES_DISPLAY_REQUIRED in the system's execution
// state, as a video call or a player sets it), with the file name of the
// foreground window's program, which the service compares with ExcludeFiles.
#pragma once

#include <windows.h>

#include "pipe_protocol.h"

namespace lullan::engine {

Display LookAtDisplay();

}  // namespace lullan::engine
