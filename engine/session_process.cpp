#include "session_process.h"

#include <userenv.h>

#include <vector>

#include "text_format.h"

namespace lullan::engine {

namespace {
struct EnvironmentBlock {
  using type = LPVOID;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { ::DestroyEnvironmentBlock(p); }
};
}  // namespace

SessionProcess StartInSession(HANDLE token, const std::wstring& commandLine, DWORD creationFlags) {
  SessionProcess started;
  unique_any<EnvironmentBlock> environment;
  // Without the user's environment the program still runs, with the service's.
  ::CreateEnvironmentBlock(environment.put(), token, FALSE);
  wchar_t desktop[] = L"winsta0\\default";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop;
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  if (!::CreateProcessAsUserW(token, nullptr, line.data(), nullptr, nullptr, FALSE,
                              creationFlags | (environment ? CREATE_UNICODE_ENVIRONMENT : 0), environment.get(),
                              nullptr, &startup, &process))
    return started;
  ::CloseHandle(process.hThread);
  started.process.reset(process.hProcess);
  started.processId = process.dwProcessId;
  return started;
}

std::wstring AgentCommandLine(const std::wstring& program) { return ProgramCommand(program) + L" /agent"; }

std::wstring ScriptCommandLine(const std::wstring& script) {
  wchar_t system[MAX_PATH];
  UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  std::wstring interpreter = length > 0 && length < MAX_PATH ? std::wstring(system, length) + L"\\cmd.exe" : L"cmd.exe";
  // /c takes the rest of the line; the outer quotes keep a quoted path whole.
  return ProgramCommand(interpreter) + L" /c \"\"" + script + L"\"\"";
}

std::wstring ThisProgram() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

}  // namespace lullan::engine
