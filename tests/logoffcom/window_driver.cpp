#include "window_driver.h"

#include <algorithm>

#include "handles.h"

namespace lullan::test {

std::wstring ChildRun::Describe() const {
  std::wstring all = finished ? L"exit code " + std::to_wstring(static_cast<int>(exitCode)) : L"did not end";
  for (const SeenDialog& d : dialogs) all += L"\n  [" + d.caption + L"] " + d.Text();
  return all;
}

ChildRun RunAndAnswer(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory,
                      DWORD timeoutMs) {
  ChildRun run;
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    run.exitCode = ::GetLastError();
    return run;
  }
  unique_handle process(info.hProcess);
  unique_handle thread(info.hThread);

  std::vector<HWND> answered;
  DWORD waited = 0;
  constexpr DWORD kStep = 50;
  while (::WaitForSingleObject(process.get(), kStep) == WAIT_TIMEOUT) {
    for (HWND dialog : DialogAnswerer::VisibleDialogsOf(info.dwProcessId)) {
      if (std::find(answered.begin(), answered.end(), dialog) != answered.end()) continue;
      answered.push_back(dialog);
      SeenDialog seen{DialogAnswerer::WindowText(dialog), {}, IDOK};
      seen.texts = DialogAnswerer::StaticTexts(dialog);
      run.dialogs.push_back(std::move(seen));
      DialogAnswerer::PressButton(dialog, IDOK);
    }
    waited += kStep;
    if (waited >= timeoutMs) {
      ::TerminateProcess(process.get(), 0xDEAD);
      ::WaitForSingleObject(process.get(), 5000);
      return run;
    }
  }
  run.finished = true;
  ::GetExitCodeProcess(process.get(), &run.exitCode);
  return run;
}

}  // namespace lullan::test
