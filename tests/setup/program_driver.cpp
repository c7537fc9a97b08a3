#include "program_driver.h"

#include <algorithm>

#include "dialog_answerer.h"

namespace lullan::test {

namespace {

constexpr DWORD kPollMs = 2;

}  // namespace

ProgramDriver::~ProgramDriver() {
  if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.get(), 0xDEAD);
    ::WaitForSingleObject(process_.get(), 5000);
  }
}

bool ProgramDriver::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    error_ = ::GetLastError();
    return false;
  }
  process_.reset(info.hProcess);
  unique_handle thread(info.hThread);
  processId_ = info.dwProcessId;
  returned_.clear();
  return true;
}

HWND ProgramDriver::WaitFor(const std::wstring& caption, DWORD timeoutMs, bool again) {
  for (DWORD began = ::GetTickCount(); ::GetTickCount() - began < timeoutMs; ::Sleep(kPollMs)) {
    for (HWND dialog : DialogAnswerer::VisibleDialogsOf(processId_)) {
      if (DialogAnswerer::WindowText(dialog) != caption) continue;
      if (!again && std::find(returned_.begin(), returned_.end(), dialog) != returned_.end()) continue;
      // A dialog is returned once it is ready for input.
      if (!::IsWindowEnabled(dialog)) continue;
      returned_.push_back(dialog);
      return dialog;
    }
    if (::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

std::wstring ProgramDriver::Box(int button, const std::wstring& caption, DWORD timeoutMs) {
  HWND box = WaitFor(caption, timeoutMs);
  if (!box) return {};
  std::wstring text;
  for (const std::wstring& line : DialogAnswerer::StaticTexts(box)) text += line;
  Press(box, button);
  return text;
}

void ProgramDriver::Press(HWND dialog, int id) { DialogAnswerer::PressButton(dialog, id); }

void ProgramDriver::SetText(HWND dialog, int id, const std::wstring& text) {
  ::SetDlgItemTextW(dialog, id, text.c_str());
}

std::wstring ProgramDriver::Text(HWND dialog, int id) {
  // Asked of the control itself: across processes GetWindowText gives an
  // edit's caption, which is not its text.
  HWND control = ::GetDlgItem(dialog, id);
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

bool ProgramDriver::WaitUntilEnabled(HWND dialog, DWORD timeoutMs) {
  for (DWORD began = ::GetTickCount(); ::GetTickCount() - began < timeoutMs; ::Sleep(kPollMs)) {
    if (::IsWindowEnabled(dialog)) return true;
  }
  return false;
}

DWORD ProgramDriver::WaitForExit(DWORD timeoutMs) {
  if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace lullan::test
