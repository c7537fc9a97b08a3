// The agent's countdown for the picture in docs/dialogs
// (LULLAN_PREVIEW=countdown_preview.exe scripts/capture-dialogs.sh <build> countdown):
// a user idle 30 minutes, with Cancel, the administrator's message, and 27
// seconds left.
#include <windows.h>

#include <cstdio>
#include <string>

#include "countdown_dlg.h"
#include "preview_window.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || std::wstring(argv[1]) != L"countdown") {
    std::fputs("usage: countdown_preview countdown <geometry file>\n", stderr);
    return 2;
  }
  using lullan::engine::Countdown;
  Countdown countdown{27, lullan::engine::Ending::kLogOff, true, L"idle 30 minutes",
                      L"Save your work: the library's computers are for readers who are using them."};
  return lullan::test::ShowForPicture(argv[2], [&]() -> INT_PTR {
    lullan::engine::CCountdownDlg dialog(countdown, nullptr);
    if (!dialog.Create(nullptr)) return -1;
    MSG message;
    while (::IsWindow(dialog.window()) && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (::IsDialogMessageW(dialog.window(), &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    return 0;
  });
}
