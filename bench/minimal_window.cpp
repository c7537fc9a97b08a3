// The engine benchmark's yardstick for memory: a program that does nothing
// but create one window and wait in its message loop. Whatever the system
// and the runtime commit for that, the session agent commits too.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW type{};
  type.lpfnWndProc = ::DefWindowProcW;
  type.hInstance = instance;
  type.lpszClassName = L"MinimalWindow";
  ::RegisterClassW(&type);
  HWND window = ::CreateWindowW(L"MinimalWindow", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}
