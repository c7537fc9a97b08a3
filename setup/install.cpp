#include "install.h"

#include "config_host.h"
#include "handles.h"
#include "install_choices.h"
#include "message_box.h"
#include "package_installation.h"
#include "previous_version.h"
#include "product_key_security.h"
#include "progress_dlg.h"
#include "registration.h"
#include "schema.h"
#include "service_registration.h"
#include "setup_app.h"
#include "shortcuts.h"
#include "standard_profiles.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

// Asks about an earlier version's settings and copies them when wanted;
// false when the administrator cancelled the installation.
bool OfferPreviousSettings(const CSetupApp& app, HWND owner) {
  PreviousVersion previous = FindPreviousVersion(app, owner);
  if (previous.count == 0) return true;
  std::wstring question = FormatText(L"Found previous version %s\nDo you want to use the old configuration settings?",
                                     previous.name.c_str());
  switch (ui::ShowMessage(owner, question, MB_YESNOCANCEL)) {
    case IDYES:
      CopyKeyValues(FormatText(L"%s\\%s", app.site().productKey.c_str(), previous.name.c_str()), app.versionKey);
      return true;
    case IDNO:
      return true;
    default:
      return false;
  }
}

// The version key with "InstallDir" and an empty "Groups" subkey, both
// secured; false when the version key cannot be created (reported).
bool WriteConfigurationRoot(const CSetupApp& app, HWND owner) {
  unique_hkey version;
  wchar_t noClass[] = L"";
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, app.versionKey.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, version.put(), nullptr) != ERROR_SUCCESS) {
    ui::ShowMessage(owner, FormatText(L"Can't open registry key %s", app.versionKey.c_str()));
    return false;
  }
  ::RegSetValueExW(version.get(), config::kInstallDir, 0, REG_SZ, reinterpret_cast<const BYTE*>(app.installDir.c_str()),
                   static_cast<DWORD>((app.installDir.size() + 1) * sizeof(wchar_t)));
  unique_hkey groups;
  ::RegCreateKeyExW(version.get(), kGroupsSubkey, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, groups.put(),
                    nullptr);
  groups.reset();
  version.reset();
  config::SetProductKeySecurity(owner, app.versionKey, config::ConfigHost::Program::Setup);
  config::SetProductKeySecurity(owner, GroupsKeyPath(app.versionKey), config::ConfigHost::Program::Setup);
  return true;
}

}  // namespace

bool Install(CSetupApp& app, HWND owner) {
  if (RefusedForPackage(owner) || !OfferPreviousSettings(app, owner)) return false;
  if (!ChooseAccountAndDirectory(app, owner)) return false;

  CProgressDlg progress;
  progress.Open(owner, L"Setting registry values");
  if (!WriteConfigurationRoot(app, owner)) {
    progress.Close();
    return false;
  }
  progress.Step(L"Registering message file");
  RegisterMessageFile(app, owner);
  progress.Step(L"Registering uninstall information");
  RegisterUninstallInfo(app, owner);
  progress.Step(L"Registering components");
  RegisterComponents(app, owner);
  progress.Step(L"Registering service with SCM");
  if (!CreateServices(app, owner)) {
    progress.Close();
    return false;
  }
  bool fullySuccessful = AddSetupShortcut(app, progress, owner);
  app.installedThisRun = true;
  if (app.serverInstall) {
    progress.Step(L"Configuring server");
    CreateStandardProfiles(app, owner);
    // A removal in this same run takes the console's program away too.
    app.serverInstalled = true;
  }
  progress.Close();
  ui::ShowMessage(owner, FormatText(L"%s installed %s", kProductName, fullySuccessful ? L"successfully" : L""),
                  MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace lullan::setup
