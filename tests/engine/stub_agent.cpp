// Stands in for the session agent in the engine's in-process tests: it starts,
// talks to nobody and waits until it is ended. The tests connect to the
// session's pipe themselves when they play the agent.
//
// A windows program, not a console one: under Wine a console program started
// without a window gets a console host of its own, and a host whose program
// was ended while it started outlives it, holding the test runner's output
// open until the runner gives up on the test.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ::Sleep(INFINITE);
  return 0;
}
