#include "shaping_fault.h"

#include <windows.h>

#include <optional>

#include "handles.h"
#include "text_format.h"
#include "ui_handles.h"

namespace lullan::bench {

namespace {

constexpr wchar_t kLigatureWithMark[] = L"\u0644\u0627\u064E";  // lam alef (one ligature), fatha
constexpr DWORD kProbeMs = 20000;

}  // namespace

int ShowLigatureWithMark() {
  unique_window box(
      ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 24, nullptr, nullptr, nullptr, nullptr));
  if (!box) return 2;
  ::SendMessageW(box.get(), WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ::SetWindowTextW(box.get(), kLigatureWithMark);
  return 0;
}

bool ShapingFaultExists(const std::wstring& program, const wchar_t* argument) {
  static std::optional<bool> known;
  if (known) return *known;
  std::wstring command = ProgramCommand(program) + L" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return *(known = false);  // nothing to go by: the texts stay whole
  unique_handle process(started.hProcess);
  unique_handle thread(started.hThread);
  DWORD code = 0;
  if (::WaitForSingleObject(process.get(), kProbeMs) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 1);
  ::GetExitCodeProcess(process.get(), &code);
  return *(known = code != 0);
}

bool LigatureMark(wchar_t c) {
  return (c >= 0x05B0 && c <= 0x05C7) || c == 0xFB1E  // Hebrew points
         || (c >= 0x0610 && c <= 0x061A)              // Arabic Quranic annotation signs
         || (c >= 0x064B && c <= 0x065F)              // Arabic harakat
         || c == 0x0670;                              // superscript alef
}

}  // namespace lullan::bench
