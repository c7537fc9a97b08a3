// Starting a program in a user's session, as that user: the session agent,
// and the logoff script. The program gets the user's environment and the
// session's interactive desktop (winsta0\default).
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"

namespace lullan::engine {

struct SessionProcess {
  unique_handle process;
  DWORD processId = 0;
};

// Starts `commandLine` with `token` (a primary token of the session's user);
// on failure the process is empty and the thread's last error says why.
SessionProcess StartInSession(HANDLE token, const std::wstring& commandLine, DWORD creationFlags = 0);

// The agent's command line: this program with "/agent".
std::wstring AgentCommandLine(const std::wstring& program);
// The logoff script's: the command interpreter running it, so that a .bat
// or .cmd runs as well as a program.
std::wstring ScriptCommandLine(const std::wstring& script);

// The full path of this program.
std::wstring ThisProgram();

}  // namespace lullan::engine
