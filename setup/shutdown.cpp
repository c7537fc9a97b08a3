#include "shutdown.h"

#include "config_host.h"
#include "handles.h"
#include "platform.h"
#include "text_format.h"

namespace lullan::setup {

namespace {
// The error reporter's form for texts without a system error of their own.
void Report(HWND owner, const wchar_t* format, DWORD error) {
  config::ReportError(owner, 1, FormatText(format, static_cast<unsigned long>(error)));
}
}  // namespace

void EnableShutdownPrivilege(HWND owner) {
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    Report(owner, L"Can't get process token - %lu", ::GetLastError());
    return;
  }
  TOKEN_PRIVILEGES privileges{};
  if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
    Report(owner, L"Can't get Shutdown privilege value - error %lu", ::GetLastError());
    return;
  }
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ::SetLastError(ERROR_SUCCESS);
  ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  // Succeeding without the privilege held still sets ERROR_NOT_ALL_ASSIGNED.
  if (DWORD error = ::GetLastError(); error != ERROR_SUCCESS) {
    Report(owner, L"Can't set Shutdown privilege - error %lu", error);
  }
}

void RestartComputer(HWND owner) {
  EnableShutdownPrivilege(owner);
  platform().systemExit->ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace lullan::setup
