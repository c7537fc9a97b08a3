// Shows one configuration page or dialog, as an administrator would see it,
// for the pictures in docs/ (scripts/capture-dialogs.sh):
//
//   config_preview.exe <name> <geometry file>
//
// The window is moved to the top left corner of the desktop, its size is
// written to the geometry file as "WIDTHxHEIGHT+0+0" (ImageMagick's crop
// geometry) once it is up, and it closes itself a few seconds later. The
// pages read an empty configuration, so they show their defaults.
#include <windows.h>

#include <cstdio>
#include <string>

#include "config_host.h"
#include "message_box.h"
#include "notification_page.h"
#include "prop_sht.h"
#include "text_format.h"
#include "tuning_page.h"

namespace {

using namespace lullan;
using namespace lullan::config;

constexpr wchar_t kPreviewKey[] = L"SOFTWARE\\LullanPreview\\1.11";
constexpr UINT kTickMs = 100;
constexpr int kShownTicks = 40;  // how long the window stays up once placed

// A sheet with `Page` alone, as setup shows it.
template <typename Page>
INT_PTR ShowPage(ConfigHost& host) {
  CPropSht sheet(host, Target(), L"Lullan Configuration");
  sheet.Add<Page>();
  return sheet.DoModal(nullptr);
}

struct Preview {
  const wchar_t* name;
  INT_PTR (*show)(ConfigHost& host);
};

// One row per page or dialog; its name is the picture's name in docs/dialogs.
const Preview kPreviews[] = {
    {L"tuning-page", &ShowPage<CTuneDlg>},
    {L"notification-page", &ShowPage<CNotifyDlg>},
};

std::wstring gGeometryFile;
HWND gShown = nullptr;
int gTicks = 0;

BOOL CALLBACK FindShown(HWND window, LPARAM) {
  if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER)) return TRUE;
  gShown = window;
  return FALSE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!gShown) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindShown, 0);
    if (!gShown) return;
    ::SetWindowPos(gShown, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    RECT rect{};
    ::GetWindowRect(gShown, &rect);
    std::string geometry = FormatTextA("%ldx%ld+0+0\n", rect.right - rect.left, rect.bottom - rect.top);
    if (FILE* file = ::_wfopen(gGeometryFile.c_str(), L"w")) {
      std::fputs(geometry.c_str(), file);
      std::fclose(file);
    }
    return;
  }
  if (++gTicks == kShownTicks) ::PostMessageW(gShown, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: config_preview <name> <geometry file>\n", stderr);
    return 2;
  }
  ui::SetProgramTitle(L"LullanSetup");
  gGeometryFile = argv[2];
  SetupHost host(kPreviewKey);
  for (const Preview& preview : kPreviews) {
    if (std::wstring(argv[1]) != preview.name) continue;
    UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, &Tick);
    INT_PTR result = preview.show(host);
    ::KillTimer(nullptr, timer);
    return result < 0 ? 1 : 0;
  }
  std::fputs("config_preview: no such page or dialog\n", stderr);
  return 2;
}
