#include "program_runner.h"

#include <gtest/gtest.h>

#include <thread>

#include "handles.h"

namespace lullan::test {

std::wstring TestProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  unique_handle readEnd;
  unique_handle writeEnd;
  if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) {
    ADD_FAILURE() << "CreatePipe failed: " << ::GetLastError();
    return run;
  }
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

  std::wstring path = TestProgramFolder() + L"\\" + program;
  std::wstring commandLine = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  startup.hStdInput = nullptr;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
    ADD_FAILURE() << "cannot start " << std::string(path.begin(), path.end()) << ": " << ::GetLastError();
    return run;
  }
  unique_handle processHandle(process.hProcess);
  unique_handle threadHandle(process.hThread);
  writeEnd.reset();

  std::string raw;
  std::thread reader([&] {
    char buffer[512];
    DWORD got = 0;
    while (::ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) raw.append(buffer, got);
  });
  if (::WaitForSingleObject(processHandle.get(), timeoutMs) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "program did not end in time";
    ::TerminateProcess(processHandle.get(), 99);
    ::WaitForSingleObject(processHandle.get(), 5000);
  }
  reader.join();
  ::GetExitCodeProcess(processHandle.get(), &run.exitCode);
  for (char c : raw) {
    if (c != '\r') run.output += c;
  }
  return run;
}

}  // namespace lullan::test
