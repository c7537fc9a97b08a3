// Stands in for the session agent in the engine's in-process tests: it starts,
// talks to nobody and waits until it is ended. The tests connect to the
// session's pipe themselves when they play the agent.
#include <windows.h>

int wmain() {
  ::Sleep(INFINITE);
  return 0;
}
