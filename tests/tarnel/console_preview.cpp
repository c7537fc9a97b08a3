// Shows the console's main dialog on a scanned domain (tarnel-console), or
// its About box (tarnel-about), as an administrator sees them, for the
// pictures in docs/ (scripts/capture-dialogs.sh):
//
//   LULLAN_PREVIEW=console_preview.exe scripts/capture-dialogs.sh <build-dir> tarnel-console tarnel-about
//
// The domain is made of the test fakes: a browse list of workstations and
// servers, their service managers and registries. Once the scan has ended,
// a row is selected, the window is moved to the top left corner, its size is
// written to the geometry file as "WIDTHxHEIGHT+0+0" (ImageMagick's crop
// geometry), and it closes itself a few seconds later.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "about_dlg.h"
#include "fake_platform.h"
#include "message_box.h"
#include "resource.h"
#include "scripted_domain.h"
#include "scripted_service_manager.h"
#include "server_panel_app.h"
#include "server_panel_dlg.h"

namespace {

using namespace lullan;
using namespace lullan::test;

constexpr wchar_t kPreviewConsoleKey[] = L"SOFTWARE\\LullanPreview\\1.11\\Tarnel";
constexpr wchar_t kVersionKey[] = L"SOFTWARE\\Fennick\\Lullan\\1.11";
constexpr wchar_t kWinlogonKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr UINT kTickMs = 100;
constexpr int kShownTicks = 40;  // how long the window stays up once placed

// One computer of the sample domain.
struct Sample {
  const wchar_t* name;
  enum { Win2000, Nt4, Nt4Server, Win95 } system;
  DWORD service;  // the state of "Lullan", 0: no such service
  const wchar_t* user;
  DWORD idle;
  DWORD dailyLogoff;  // packed time, 0xFFFFFFFF: daily logoff off
  const wchar_t* previousUser;
  const wchar_t* profile;
};

constexpr DWORD kOff = 0xFFFFFFFF;
const Sample kDomain[] = {
    {L"ACCOUNTS-01", Sample::Win2000, SERVICE_RUNNING, L"jsmith", 12, 0x0011001E, L"mgarcia", L"stdLogoff"},
    {L"ACCOUNTS-02", Sample::Win2000, SERVICE_RUNNING, L"akumar", 0, kOff, L"jsmith", L"stdLogoff"},
    {L"FRONTDESK", Sample::Nt4, SERVICE_RUNNING, L"reception", 47, 0x00140000, L"reception", L"stdShutdown"},
    {L"LAB-07", Sample::Win2000, SERVICE_STOPPED, L"", 0, kOff, L"student3", L""},
    {L"LAB-08", Sample::Win2000, SERVICE_RUNNING, L"student12", 5, 0x00160000, L"student9", L"stdReboot"},
    {L"PRINTSRV", Sample::Nt4Server, 0, L"", 0, kOff, L"", L""},
    {L"PROFSRV", Sample::Nt4Server, SERVICE_RUNNING, L"Administrator", 3, kOff, L"", L""},
    {L"SALES-LAPTOP", Sample::Win95, 0, L"", 0, kOff, L"", L""},
};

void Build(ScriptedDomain& domain, ScriptedServiceManager& services, FakeRemoteRegistry& registry) {
  for (const Sample& s : kDomain) {
    ScriptedDomain::Computer& computer = domain.AddComputer(s.name);
    if (s.system == Sample::Nt4) computer.Nt(4, 0);
    if (s.system == Sample::Nt4Server) computer.ServerNt(4, 0);
    if (s.system == Sample::Win95) {
      computer.Win9x();
      continue;  // no service manager answers
    }
    services.On(s.name).Service(L"Spooler", SERVICE_RUNNING);
    if (s.service == 0) continue;
    services.On(s.name).Service(L"Lullan", s.service);
    HKEY machine = registry.AddMachine(s.name);
    WriteDword(machine, kVersionKey, L"sims$", s.idle);
    WriteDword(machine, kVersionKey, L"EnableDailyLogoff", s.dailyLogoff != kOff);
    if (s.dailyLogoff != kOff) WriteDword(machine, kVersionKey, L"DailyLogoffTime", s.dailyLogoff);
    WriteString(machine, kVersionKey, L"PrevUser", s.previousUser);
    WriteString(machine, kVersionKey, L"Profile", s.profile);
    WriteString(machine, kWinlogonKey, L"DefaultUserName", s.user);
  }
}

std::wstring gGeometryFile;
ui::CDialog* gShown = nullptr;  // the dialog in the picture
int gTicks = 0;

// Once the scan has ended: a row selected, as an administrator about to log
// its user off, the window in the corner, its size told.
void Place(HWND dialog) {
  if (HWND list = ::GetDlgItem(dialog, IDC_MACHINES)) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
    ::SetFocus(list);
  }
  ::SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
  RECT rect{};
  ::GetWindowRect(dialog, &rect);
  std::ofstream(gGeometryFile.c_str()) << rect.right - rect.left << 'x' << rect.bottom - rect.top << "+0+0\n";
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = gShown->window();
  if (!dialog || !::IsWindowVisible(dialog)) return;
  HWND refresh = ::GetDlgItem(dialog, IDC_REFRESH);
  if (gTicks == 0 && refresh && !::IsWindowEnabled(refresh)) return;  // still scanning
  if (gTicks == 0) Place(dialog);
  if (++gTicks == kShownTicks) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Runs `dialog` modally, placed and closed by the ticks.
INT_PTR Show(ui::CDialog& dialog) {
  gShown = &dialog;
  UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, &Tick);
  INT_PTR result = dialog.DoModal(nullptr);
  ::KillTimer(nullptr, timer);
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring name = argc < 3 ? L"" : argv[1];
  if (name != L"tarnel-console" && name != L"tarnel-about") {
    std::fputs("usage: console_preview tarnel-console|tarnel-about <geometry file>\n", stderr);
    return 2;
  }
  gGeometryFile = argv[2];
  ui::SetProgramTitle(tarnel::kProgramTitle);
  if (name == L"tarnel-about") {
    tarnel::CAboutDlg about;
    return Show(about) < 0 ? 1 : 0;
  }
  ScriptedDomain domain;
  ScriptedServiceManager services;
  FakeRemoteRegistry registry;
  Build(domain, services, registry);
  ScopedPlatform platform;
  platform.Use(domain).Use(services).Use(registry);

  tarnel::CServerPanelApp app(kPreviewConsoleKey);
  tarnel::CServerPanelDlg panel(app);
  INT_PTR result = Show(panel);
  panel.WaitForScan(INFINITE);
  return result < 0 ? 1 : 0;
}
