// logoff.exe: logs off the interactive user, shuts the machine down or reboots
// it through quitcom's FCLogoff, or registers quitcom.dll. It has no window:
// everything it says is a message box captioned "logoff".
#pragma once

namespace lullan {

// The whole program for the argument text (after the program name); returns
// the exit code: 0 after a completed run, 1 when the component can't be
// created or lacks ILogoff, -1 when COM can't be initialised.
int RunLogoff(const char* arguments);

}  // namespace lullan
