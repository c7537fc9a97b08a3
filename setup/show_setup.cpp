// show_setup.exe: shows setup.exe's main dialog for scripts/build.sh on a
// machine without a display (under Xvfb), where nobody can answer a box:
//
//   show_setup.exe <setup.exe> <ready file>
//
// Starts setup.exe in its own folder, answers the box a machine without a
// domain shows at every start ("... trying to get domain controller"), and
// once the main dialog is up writes the ready file, gives the picture three
// seconds and leaves setup with Exit. Not shipped.
#include <windows.h>

#include <cstdio>
#include <string>

#include "handles.h"

namespace {

constexpr wchar_t kMainDialog[] = L"Lullan Configuration & Setup Utility";
constexpr wchar_t kBoxCaption[] = L"LullanSetup";
constexpr DWORD kLimitMs = 60000;
constexpr DWORD kShownMs = 3000;

struct Found {
  DWORD processId;
  HWND main = nullptr;
  HWND box = nullptr;
};

BOOL CALLBACK Look(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t caption[64] = {};
  ::GetWindowTextW(window, caption, ARRAYSIZE(caption));
  if (owner != found->processId || !::IsWindowVisible(window)) return TRUE;
  if (::lstrcmpW(caption, kMainDialog) == 0 && ::IsWindowEnabled(window)) found->main = window;
  if (::lstrcmpW(caption, kBoxCaption) == 0) found->box = window;
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: show_setup <setup.exe> <ready file>\n", stderr);
    return 2;
  }
  std::wstring program = argv[1];
  std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
    std::fprintf(stderr, "show_setup: cannot start setup.exe (error %lu)\n", ::GetLastError());
    return 1;
  }
  lullan::unique_handle process(info.hProcess);
  lullan::unique_handle thread(info.hThread);

  Found found{info.dwProcessId};
  for (DWORD waited = 0; !found.main; waited += 50) {
    if (waited > kLimitMs || ::WaitForSingleObject(process.get(), 50) != WAIT_TIMEOUT) {
      std::fputs("show_setup: setup's main dialog did not come up\n", stderr);
      ::TerminateProcess(process.get(), 1);
      return 1;
    }
    found = Found{info.dwProcessId};
    ::EnumWindows(&Look, reinterpret_cast<LPARAM>(&found));
    // Without a domain, setup says so at every start and goes on.
    if (found.box) ::PostMessageW(found.box, WM_COMMAND, IDOK, 0);
  }
  if (FILE* ready = ::_wfopen(argv[2], L"w")) std::fclose(ready);
  ::Sleep(kShownMs);
  ::PostMessageW(found.main, WM_COMMAND, IDCANCEL, 0);
  if (::WaitForSingleObject(process.get(), kLimitMs) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 1);
  return 0;
}
