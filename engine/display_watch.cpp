#include "display_watch.h"

#include <tlhelp32.h>

#include "handles.h"
#include "platform.h"

namespace lullan::engine {

namespace {

// The file name of process `processId` ("vlc.exe"), or empty.
std::wstring ImageOf(DWORD processId) {
  unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == processId) return entry.szExeFile;
  }
  return {};
}

}  // namespace

Display LookAtDisplay() {
  UserDesktop& desktop = *platform().desktop;
  UserDesktop::NotificationState state = UserDesktop::kAcceptsNotifications;
  bool presenting = SUCCEEDED(desktop.QueryUserNotificationState(&state)) &&
                    (state == UserDesktop::kBusy || state == UserDesktop::kFullScreenDirect3D ||
                     state == UserDesktop::kPresentationMode);
  bool displayRequired = (desktop.SystemExecutionState() & ES_DISPLAY_REQUIRED) != 0;
  Display display;
  if (!presenting && !displayRequired) return display;
  display.keptOn = true;
  DWORD processId = 0;
  if (HWND foreground = ::GetForegroundWindow()) ::GetWindowThreadProcessId(foreground, &processId);
  if (processId) display.program = ImageOf(processId);
  return display;
}

}  // namespace lullan::engine
