// setup's quiet mode (setup_switches.h): the installation or removal runs
// without any window, its messages go to the quiet output, and the exit
// code says how it ended:
//
//   0     done
//   3010  removed, but files in use go at the next restart (never restarted here)
//   87    a switch setup does not know, or a missing or contradicting one (the usage follows)
//   5     the user running setup is no administrator
//   1057  the monitor's account is no administrator, or unknown
//   1605  removal where Lullan is not installed
//   1638  installation where Lullan is installed already (by setup or by its package),
//         removal where its package installed it
//   1603  the installation or removal stopped at a fatal step (its message says which)
//   other the Windows error reading /password-file
#pragma once

namespace lullan::setup {

class CSetupApp;

// Runs the quiet mode for `commandLine` (the whole command line, program
// path included); the process's exit code.
int RunQuietSetup(CSetupApp& app, const wchar_t* commandLine);

}  // namespace lullan::setup
