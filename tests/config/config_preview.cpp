// Shows one configuration page or dialog, as an administrator would see it,
// for the pictures in docs/ (scripts/capture-dialogs.sh):
//
//   config_preview.exe <name> <geometry file>
//
// The window is moved to the top left corner of the desktop, its size is
// written to the geometry file as "WIDTHxHEIGHT+0+0" (ImageMagick's crop
// geometry) once it is up, and it closes itself a few seconds later. Most
// pages read an empty configuration and show their defaults; the Groups and
// Notification pages are shown in use.
#include <windows.h>

#include <cstdio>
#include <string>

#include "config_host.h"
#include "config_key.h"
#include "daily_time_dlg.h"
#include "fake_platform.h"
#include "general_page.h"
#include "group_props_dlg.h"
#include "groups_page.h"
#include "message_box.h"
#include "notification_page.h"
#include "packed_time.h"
#include "preview_window.h"
#include "profile_page.h"
#include "profile_warning_dlg.h"
#include "prop_sht.h"
#include "scripted_domain.h"
#include "text_format.h"
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

INT_PTR ShowDailyTime(ConfigHost& host) {
  CDailyTimeDlg dialog(host, Target(), DailyTimeMode::Page);
  return dialog.DoModal(nullptr);
}

// The Groups page of a machine in a small domain, with groups of both kinds
// monitored.
INT_PTR ShowGroupsPage(ConfigHost& host) {
  test::ScriptedDomain domain;
  domain.DomainController(L"FENNICK-DC1");
  domain.AddGroups({L"Accounting", L"Domain Admins", L"Domain Guests", L"Domain Users", L"Front Desk", L"Lab Students",
                    L"Library Kiosks", L"Night Shift", L"Sales", L"Temporary Staff"});
  test::ScopedPlatform seams;
  seams.Use(domain);
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  if (ConfigKey groups = ConfigKey::Create(FormatText(L"%s\\Groups", kPreviewKey), KEY_WRITE, &status, &existed)) {
    groups.WriteDword(L"mLab Students", 15);
    groups.WriteDword(L"mLibrary Kiosks", 5);
    groups.WriteDword(L"dNight Shift", PackTime(6, 30));
    groups.WriteDword(L"dTemporary Staff", PackTime(18, 0));
  }
  return ShowPage<CGroupsDlg>(host);
}

// The Notification page of a machine that counts down with a message of its
// own and plays a sound: every control in use.
INT_PTR ShowNotificationPage(ConfigHost& host) {
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  if (ConfigKey key = ConfigKey::Create(kPreviewKey, KEY_WRITE, &status, &existed)) {
    key.WriteDword(kUseCancelDlg, 1);
    key.WriteDword(kCountdownSeconds, 30);
    key.WriteText(kCustomMessage, L"Lab session over: save your work now.");
    key.WriteDword(kEnableUserCancel, 1);
    key.WriteText(kWavFile, L"C:\\WINNT\\Media\\chimes.wav");
  }
  return ShowPage<CNotifyDlg>(host);
}

INT_PTR ShowGroupProps(ConfigHost& host) {
  CGroupPropsDlg dialog(host, Target(), L"Lab Students,Library Kiosks", GroupKind::Minutes, L"15", 0);
  return dialog.DoModal(nullptr);
}

// The console's warning with the longest names a machine (15 characters) and
// a profile (63) can have.
INT_PTR ShowProfileWarning(ConfigHost&) {
  CProfileWarningDlg dialog(L"WS-ACCOUNTS-017", L"Accounting-Department-Second-Floor-Workstations-Late-Shift-2026");
  return dialog.DoModal(nullptr);
}

struct Preview {
  const wchar_t* name;
  INT_PTR (*show)(ConfigHost& host);
};

// One row per page or dialog; its name is the picture's name in docs/dialogs.
// clang-format off
const Preview kPreviews[] = {
    {L"general-page", &ShowPage<CGeneralDlg>},
    {L"daily-time", &ShowDailyTime},
    {L"groups-page", &ShowGroupsPage},
    {L"group-props", &ShowGroupProps},
    {L"tuning-page", &ShowPage<CTuneDlg>},
    {L"notification-page", &ShowNotificationPage},
    {L"profile-page", &ShowPage<CServerDlg>},
    {L"profile-warning", &ShowProfileWarning},
};
// clang-format on

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
