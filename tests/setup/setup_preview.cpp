// Shows setup's main dialog or one of its dialogs, as an administrator sees
// them, for the pictures in docs/ (scripts/capture-dialogs.sh):
//
//   setup_preview.exe <name> <geometry file>
//
// "setup-desktop" is the whole screen of a machine without Lullan: the
// background window with the main dialog in front of it. The domain is a
// scripted one whose controller knows the user as an administrator, so no
// box comes before the window.
#include <windows.h>
#include <lmcons.h>

#include <cstdio>
#include <string>

#include "about_dlg.h"
#include "fake_platform.h"
#include "install_dir_dlg.h"
#include "install_type_dlg.h"
#include "licence_dlg.h"
#include "preview_window.h"
#include "progress_dlg.h"
#include "scripted_domain.h"
#include "service_account_dlg.h"
#include "setup_app.h"
#include "setup_dlg.h"

namespace {

using namespace lullan;
using namespace lullan::setup;

INT_PTR MainDialog(CSetupApp& app) { return CSetupDlg(app).DoModal(nullptr); }
INT_PTR Desktop(CSetupApp& app) { return app.Run(L"setup.exe"); }
INT_PTR About(CSetupApp&) { return CAboutDlg().DoModal(nullptr); }
INT_PTR Licence(CSetupApp&) { return CLicenceDlg().DoModal(nullptr); }
INT_PTR InstallType(CSetupApp&) { return CInstallTypeDlg().DoModal(nullptr); }
INT_PTR InstallDirectory(CSetupApp& app) { return CInstallDirDlg(app).DoModal(nullptr); }
INT_PTR ServiceAccount(CSetupApp& app) { return CServiceAccountDlg(app).DoModal(nullptr); }

// The window an installation shows while it registers the components.
INT_PTR Progress(CSetupApp&) {
  CProgressDlg progress;
  if (!progress.Open(nullptr, L"Setting registry values")) return -1;
  progress.Step(L"Registering message file");
  progress.Step(L"Registering uninstall information");
  progress.Step(L"Registering components");
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}

struct Preview {
  const wchar_t* name;
  INT_PTR (*show)(CSetupApp& app);
};

// One row per window; its name is the picture's name in docs/dialogs.
const Preview kPreviews[] = {
    {L"setup-desktop", &Desktop},
    {L"setup-main-dialog", &MainDialog},
    {L"setup-about", &About},
    {L"setup-licence", &Licence},
    {L"setup-install-type", &InstallType},
    {L"setup-install-dir", &InstallDirectory},
    {L"setup-service-account", &ServiceAccount},
    {L"setup-progress", &Progress},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: setup_preview <name> <geometry file>\n", stderr);
    return 2;
  }
  wchar_t user[UNLEN + 1] = {};
  DWORD length = ARRAYSIZE(user);
  ::GetUserNameW(user, &length);
  test::ScriptedDomain domain;
  domain.DomainController(L"DC1").AddUser(user).Admin();
  test::ScopedPlatform platform;
  platform.Use(domain);

  SetupSite site;
  site.productKey = L"SOFTWARE\\LullanPreview\\Fennick\\Lullan";  // nothing installed there
  CSetupApp app(site);
  const std::wstring name = argv[1];
  for (const Preview& preview : kPreviews) {
    if (name != preview.name) continue;
    if (name != L"setup-desktop" && !app.Start(L"setup.exe")) return 1;
    return test::ShowForPicture(
        argv[2], [&] { return preview.show(app); },
        [&](HWND shown) {
          // The desktop's window is the background: leaving is the main dialog's Exit.
          if (name == L"setup-progress") ::PostQuitMessage(0);
          ::PostMessageW(app.mainWindow ? app.mainWindow : shown, WM_COMMAND, IDCANCEL, 0);
        });
  }
  std::fputs("setup_preview: no such window\n", stderr);
  return 2;
}
