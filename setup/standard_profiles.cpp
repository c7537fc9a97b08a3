#include "standard_profiles.h"

#include <string>

#include "action.h"
#include "config_host.h"
#include "handles.h"
#include "message_box.h"
#include "product_key_security.h"
#include "schema.h"
#include "setup_app.h"
#include "shortcuts.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

struct ProfileDefault {
  const wchar_t* name;
  DWORD value;
};

// In the order they are written; the empty name ends the table.
constexpr ProfileDefault kProfileDefaults[] = {
    {config::kCountdownSeconds, 0},
    {config::kEnableDailyLogoff, 0},
    {config::kEnableUserCancel, 0},
    {config::kIdleMinutes, 30},
    {config::kIgnoreKernel, 0},
    {config::kIgnoreNet, 0},
    {config::kMonitorMouse, 0},
    {config::kOnlyLogoffIfLocked, 0},
    {config::kOnlyLogoffIfScreenSaver, 0},
    {config::kPlaySound, 0},
    {config::kProfileLastChanged, 0},
    {config::kRunScript, 0},
    {config::kSims, 0},
    {config::kUseCancelDlg, 0},
    {config::kUseLogFile, 0},
    {config::kUseMutex, 0},
    {config::kUseTray, 1},
    {config::kExplorerSensitivity, 1},
    {config::kForceExit, 1},
    {L"", 0},
};

struct StandardProfile {
  const wchar_t* name;
  const wchar_t* action;
};
constexpr StandardProfile kStandardProfiles[] = {{L"stdLogoff", config::kActionLogoff},
                                                 {L"stdShutdown", config::kActionShutdown},
                                                 {L"stdReboot", config::kActionReboot}};

unique_hkey CreateKey(HKEY parent, const std::wstring& path, REGSAM access) {
  unique_hkey key;
  wchar_t noClass[] = L"";
  if (::RegCreateKeyExW(parent, path.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, access, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    key.reset();
  }
  return key;
}

void Secure(HWND owner, const std::wstring& path) {
  config::SetProductKeySecurity(owner, path, config::ConfigHost::Program::Setup);
}

// The message for a profile key that could not be created, in the words
// each of the three has always had.
std::wstring ProfileKeyError(const std::wstring& profilesPath, const wchar_t* profile) {
  if (std::wstring(profile) == L"stdLogoff") {
    return FormatText(L"Error creating registry key %s\\stdLogoff", profilesPath.c_str());
  }
  return FormatText(L"Error creating registry key Tarnel\\Profiles\\%s", profile);
}

}  // namespace

bool WriteProfileDefaults(HKEY profile) {
  if (!profile) return false;
  for (const ProfileDefault* entry = kProfileDefaults; entry->name[0] != L'\0'; ++entry) {
    ::RegSetValueExW(profile, entry->name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&entry->value),
                     sizeof entry->value);
  }
  return true;
}

void CreateStandardProfiles(const CSetupApp& app, HWND owner) {
  AddConsoleShortcut(app, owner);

  unique_hkey version = CreateKey(HKEY_LOCAL_MACHINE, app.versionKey, KEY_ALL_ACCESS);
  if (!version) {
    ui::ShowMessage(owner, FormatText(L"Can't open registry key %s", app.versionKey.c_str()));
    return;
  }
  unique_hkey console = CreateKey(version.get(), kConsoleSubkey, KEY_WRITE);
  if (!console) {
    ui::ShowMessage(owner, L"Error creating registry key Tarnel");
    return;
  }
  const std::wstring consolePath = FormatText(L"%s\\%s", app.versionKey.c_str(), kConsoleSubkey);
  Secure(owner, consolePath);

  const std::wstring profilesPath = FormatText(L"%s\\%s", consolePath.c_str(), kProfilesSubkey);
  unique_hkey profiles = CreateKey(version.get(), FormatText(L"%s\\%s", kConsoleSubkey, kProfilesSubkey), KEY_WRITE);
  if (!profiles) {
    ui::ShowMessage(owner, FormatText(L"Error creating registry key %s", profilesPath.c_str()));
    return;
  }
  Secure(owner, profilesPath);

  for (const StandardProfile& standard : kStandardProfiles) {
    unique_hkey profile =
        CreateKey(version.get(), FormatText(L"%s\\%s\\%s", kConsoleSubkey, kProfilesSubkey, standard.name), KEY_WRITE);
    if (!profile) {
      ui::ShowMessage(owner, ProfileKeyError(profilesPath, standard.name));
      return;
    }
    const std::wstring profilePath = FormatText(L"%s\\%s", profilesPath.c_str(), standard.name);
    Secure(owner, profilePath);
    if (unique_hkey groups = CreateKey(profile.get(), kGroupsSubkey, KEY_WRITE)) {
      groups.reset();
      Secure(owner, GroupsKeyPath(profilePath));
    }
    const std::wstring action = standard.action;
    ::RegSetValueExW(profile.get(), config::kAction, 0, REG_SZ, reinterpret_cast<const BYTE*>(action.c_str()),
                     static_cast<DWORD>((action.size() + 1) * sizeof(wchar_t)));
    WriteProfileDefaults(profile.get());
  }
}

}  // namespace lullan::setup
