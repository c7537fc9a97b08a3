#include "console_process.h"

#include <algorithm>

#include "handles.h"
#include "resource.h"

namespace lullan::test {

namespace {

constexpr DWORD kStepMs = 20;

}  // namespace

std::wstring ConsoleRun::Describe() const {
  std::wstring all = !started   ? L"did not start, error " + std::to_wstring(exitCode)
                     : finished ? L"exit code " + std::to_wstring(exitCode)
                                : std::wstring(L"did not end");
  if (!sawMainDialog) all += L", no main dialog";
  for (const SeenDialog& box : boxes) all += L"\n  [" + box.caption + L"] " + box.Text();
  return all;
}

std::wstring ConsoleProgram() {
  wchar_t self[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameW(nullptr, self, ARRAYSIZE(self));
  std::wstring folder(self, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"tarnel.exe";
}

ConsoleRun RunConsoleProgram(const std::wstring& program, const std::function<void(HWND dialog)>& drive,
                             DWORD timeoutMs) {
  ConsoleRun run;
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
    run.exitCode = ::GetLastError();
    return run;
  }
  run.started = true;
  unique_handle process(info.hProcess);
  unique_handle thread(info.hThread);

  std::vector<HWND> answered;
  DWORD driven = 0;  // when the test's step ended; 0 before
  for (DWORD waited = 0; ::WaitForSingleObject(process.get(), kStepMs) == WAIT_TIMEOUT; waited += kStepMs) {
    if (waited >= timeoutMs) {
      ::TerminateProcess(process.get(), 0xDEAD);
      ::WaitForSingleObject(process.get(), 5000);
      return run;
    }
    // The main dialog is the one holding the machine list; the others are
    // message boxes.
    HWND main = nullptr;
    std::vector<HWND> boxes;
    for (HWND dialog : DialogAnswerer::VisibleDialogsOf(info.dwProcessId)) {
      if (::GetDlgItem(dialog, IDC_MACHINES)) {
        main = dialog;
      } else {
        boxes.push_back(dialog);
      }
    }
    for (HWND box : boxes) {
      if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
      answered.push_back(box);
      run.boxes.push_back(SeenDialog{DialogAnswerer::WindowText(box), DialogAnswerer::StaticTexts(box), IDOK});
      DialogAnswerer::PressButton(box, IDOK);
    }
    if (main && boxes.empty() && ::IsWindowEnabled(main) && !run.sawMainDialog) {
      run.sawMainDialog = true;
      drive(main);
      driven = ::GetTickCount();
    }
  }
  run.finished = true;
  if (driven) run.closingMs = ::GetTickCount() - driven;
  ::GetExitCodeProcess(process.get(), &run.exitCode);
  return run;
}

}  // namespace lullan::test
