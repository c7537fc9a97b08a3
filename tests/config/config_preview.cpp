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
#include "preview_window.h"
#include "prop_sht.h"
#include "tuning_page.h"

namespace {

using namespace lullan;
using namespace lullan::config;

constexpr wchar_t kPreviewKey[] = L"SOFTWARE\\LullanPreview\\1.11";

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
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: config_preview <name> <geometry file>\n", stderr);
    return 2;
  }
  ui::SetProgramTitle(L"LullanSetup");
  SetupHost host(kPreviewKey);
  for (const Preview& preview : kPreviews) {
    if (std::wstring(argv[1]) == preview.name) return test::ShowForPicture(argv[2], [&] { return preview.show(host); });
  }
  std::fputs("config_preview: no such page or dialog\n", stderr);
  return 2;
}
