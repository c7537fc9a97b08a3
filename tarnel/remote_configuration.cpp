// "Configure" of the main dialog: the fetch into the local copy key, the
// shared-profile warning, the sheet, and the copy-back.
#include "remote_configuration.h"

#include <vector>

#include "background_call.h"
#include "configuration_sheet.h"
#include "key_copy.h"
#include "message_box.h"
#include "product.h"
#include "profile_warning_dlg.h"
#include "registry_values.h"
#include "remote_keys.h"
#include "schema.h"
#include "server_panel_app.h"
#include "server_panel_dlg.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

// What the warning's buttons end it with.
constexpr INT_PTR kContinue = IDYES;
constexpr INT_PTR kEditProfile = IDNO;

// Characters no computer name holds; "\" would even name a key deeper down.
constexpr wchar_t kNotInComputerNames[] = L"\\/:*?\"<>|";

// The most the console copies of a workstation: a mebibyte a value (as much
// as the configuration monitor copies of a profile's), and ten thousand
// values, or subkeys, a key. No configuration comes near them; a workstation
// beyond them is not configured, and nothing of it is kept.
constexpr CopyLimits kFetchLimits{10000, 1 << 20};

std::wstring CantOpenLocal(const std::wstring& path, LSTATUS status) {
  return ErrorMessage(FormatText(L"Can't open registry key %s", path.c_str()), status);
}

std::wstring CantCopy(const std::wstring& computer, LSTATUS status) {
  return ErrorMessage(FormatText(L"Error copying %s's registry data", computer.c_str()), status);
}

std::wstring BeyondLimits(const std::wstring& computer, const std::wstring& keyPath) {
  return FormatText(
      L"Can't configure %s: its registry key %s holds more than the console copies (at most 10,000 values or "
      L"subkeys in a key, and 1 MiB in a value). Nothing of it was kept.",
      computer.c_str(), keyPath.c_str());
}

// What a refused fetch wrote goes again: the local copy, with the subkeys
// a fetch makes in it (one that holds keys of its own stays, and so does the
// copy around it).
void DiscardLocalCopy(const std::wstring& localCopyPath) {
  if (unique_hkey copy = OpenKey(HKEY_LOCAL_MACHINE, localCopyPath, KEY_ENUMERATE_SUB_KEYS)) {
    std::vector<std::wstring> subkeys;
    SubkeyNames(copy.get(), subkeys);
    for (const std::wstring& name : subkeys) ::RegDeleteKeyW(copy.get(), name.c_str());
  }
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, localCopyPath.c_str());
}

// Removes the subkeys of the local copy that the workstation does not have.
// A fetch makes them one level deep: one that holds keys of its own was not
// made by the console and stays.
LSTATUS RemoveStaleSubkeys(HKEY localCopy, const std::vector<std::wstring>& remoteSubkeys) {
  std::vector<std::wstring> local;
  if (LSTATUS status = SubkeyNames(localCopy, local); status != ERROR_SUCCESS) return status;
  const NameSet remote(remoteSubkeys);
  for (const std::wstring& name : local) {
    if (!remote.Contains(name)) ::RegDeleteKeyW(localCopy, name.c_str());
  }
  return ERROR_SUCCESS;
}

// The Groups subkey of the workstation made equal to the local copy's.
bool CopyGroupsBack(HKEY version, const std::wstring& computer, const std::wstring& versionKeyPath,
                    const std::wstring& localCopyPath, MessageSink& messages) {
  const std::wstring localPath = GroupsKeyPath(localCopyPath);
  LSTATUS status = ERROR_SUCCESS;
  unique_hkey local = OpenKey(HKEY_LOCAL_MACHINE, localPath, KEY_QUERY_VALUE, &status);
  if (!local) {
    messages.Show(CantOpenLocal(localPath, status));
    return false;
  }
  unique_hkey remote = CreateKey(version, kGroupsSubkey, KEY_QUERY_VALUE | KEY_SET_VALUE, &status);
  if (!remote) {
    messages.Show(CantOpenRemoteKey(GroupsKeyPath(versionKeyPath), computer, status));
    return false;
  }
  if (status = MirrorValues(local.get(), remote.get()); status != ERROR_SUCCESS) {
    messages.Show(CantCopy(computer, status));
    return false;
  }
  return true;
}

// The shared profile a workstation follows, as its local copy holds it:
// "Profile" and "PLS", each empty when absent.
struct AssignedProfile {
  std::wstring profile;
  std::wstring server;
};

AssignedProfile ReadAssignedProfile(const std::wstring& localCopyPath) {
  unique_hkey copy = OpenKey(HKEY_LOCAL_MACHINE, localCopyPath, KEY_QUERY_VALUE);
  if (!copy) return {};
  return {ReadText(copy.get(), config::kProfile).value_or(std::wstring()),
          ReadText(copy.get(), config::kPLS).value_or(std::wstring())};
}

// What "Edit Profile" opens for a workstation's profile: one of this
// server's own profiles, by the name its key has. The workstation's text
// only picks among them; it never names a key itself, so it can neither
// reach a key outside the profiles ("stdLogoff\Groups") nor make one.
struct ProfileToEdit {
  std::wstring name;     // empty when refused
  std::wstring refusal;  // why, when refused
};

ProfileToEdit FindProfileToEdit(const std::wstring& computer, const AssignedProfile& assigned,
                                const std::wstring& thisServer, const std::wstring& profilesKeyPath) {
  const std::wstring cant =
      FormatText(L"Can't edit profile \"%s\" of %s: ", assigned.profile.c_str(), computer.c_str());
  if (assigned.profile.find(L'\\') != std::wstring::npos) return {{}, cant + L"a profile name holds no backslash."};
  // "PLS" names the server as the monitor reaches it, with or without "\\".
  const size_t start = assigned.server.find_first_not_of(L'\\');
  const std::wstring server = start == std::wstring::npos ? std::wstring() : assigned.server.substr(start);
  if (server.empty()) return {{}, cant + L"it names no profile server."};
  if (!SameName(server, thisServer)) {
    return {{}, cant + FormatText(L"its profile server is %s, not this one (%s).", server.c_str(), thisServer.c_str())};
  }
  std::vector<std::wstring> profiles;
  if (unique_hkey key = OpenKey(HKEY_LOCAL_MACHINE, profilesKeyPath, KEY_ENUMERATE_SUB_KEYS)) {
    SubkeyNames(key.get(), profiles);
  }
  for (const std::wstring& name : profiles) {
    if (SameName(name, assigned.profile)) return {name, {}};
  }
  return {{}, cant + L"this server has no profile of that name."};
}

}  // namespace

bool IsLocalCopyName(const std::wstring& computer) {
  return !computer.empty() && computer.find_first_of(kNotInComputerNames) == std::wstring::npos &&
         !SameName(computer, kProfilesSubkey);
}

LSTATUS CopyRemoteValues(HKEY remoteRoot, const std::wstring& remotePath, const std::wstring& localPath) {
  LSTATUS status = ERROR_SUCCESS;
  unique_hkey remote = OpenKey(remoteRoot, remotePath, KEY_READ, &status);
  if (!remote) return status;
  unique_hkey local = OpenKey(HKEY_LOCAL_MACHINE, localPath, KEY_QUERY_VALUE | KEY_SET_VALUE, &status);
  if (!local) return status;
  return MirrorValues(remote.get(), local.get(), kFetchLimits);
}

bool CopyRemoteConfiguration(const std::wstring& computer, const std::wstring& localCopyPath,
                             std::wstring& versionKeyPath, MessageSink& messages) {
  LSTATUS status = ERROR_SUCCESS;
  unique_hkey root = ConnectRegistry(computer, &status);
  if (!root) {
    messages.Show(CantConnect(computer, status));
    return false;
  }
  unique_hkey version =
      OpenVersionKey(root.get(), KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, versionKeyPath, messages, &status);
  if (!version) {
    messages.Show(CantOpenRemoteKey(versionKeyPath, computer, status));
    return false;
  }
  std::vector<std::wstring> subkeys;
  status = SubkeyNames(version.get(), subkeys, kFetchLimits.values);
  if (status == ERROR_FILE_TOO_LARGE) {
    messages.Show(BeyondLimits(computer, versionKeyPath));
    DiscardLocalCopy(localCopyPath);  // an earlier one
    return false;
  }
  if (status != ERROR_SUCCESS) {
    messages.Show(ErrorMessage(
        FormatText(L"Can't query registry key %s on %s", versionKeyPath.c_str(), computer.c_str()), status));
    return false;
  }
  unique_hkey copy = CreateKey(HKEY_LOCAL_MACHINE, localCopyPath, KEY_ALL_ACCESS, &status);
  if (!copy) {
    messages.Show(CantOpenLocal(localCopyPath, status));
    return false;
  }

  // Each key that cannot be copied is told; the others are copied all the
  // same. A key beyond the limits ends the fetch, and what it wrote goes.
  bool complete = true;
  auto copied = [&](LSTATUS result, const std::wstring& remotePath) {
    if (result == ERROR_SUCCESS) return true;
    if (result == ERROR_FILE_TOO_LARGE) {
      messages.Show(BeyondLimits(computer, remotePath));
      copy.reset();
      DiscardLocalCopy(localCopyPath);
      return false;
    }
    messages.Show(CantCopy(computer, result));
    complete = false;
    return true;
  };
  for (const std::wstring& name : subkeys) {
    const std::wstring localPath = localCopyPath + L"\\" + name;
    const std::wstring remotePath = versionKeyPath + L"\\" + name;
    unique_hkey created = CreateKey(HKEY_LOCAL_MACHINE, localPath, KEY_ALL_ACCESS, &status);
    if (!copied(created ? CopyRemoteValues(root.get(), remotePath, localPath) : status, remotePath)) return false;
  }
  copied(RemoveStaleSubkeys(copy.get(), subkeys), versionKeyPath);
  return copied(CopyRemoteValues(root.get(), versionKeyPath, localCopyPath), versionKeyPath) && complete;
}

CopyBackResult CopyBackConfiguration(const std::wstring& computer, const std::wstring& versionKeyPath,
                                     const std::wstring& localCopyPath, const config::ChangeMasks& masks,
                                     MessageSink& messages) {
  CopyBackResult result;
  LSTATUS status = ERROR_SUCCESS;
  unique_hkey root = ConnectRegistry(computer, &status);
  if (!root) {
    messages.Show(CantConnect(computer, status));
    return result;
  }
  unique_hkey version = OpenKey(root.get(), versionKeyPath, KEY_WRITE, &status);
  if (!version) {
    messages.Show(CantOpenRemoteKey(versionKeyPath, computer, status));
    return result;
  }
  unique_hkey copy = OpenKey(HKEY_LOCAL_MACHINE, localCopyPath, KEY_QUERY_VALUE, &status);
  if (!copy) {
    messages.Show(CantOpenLocal(localCopyPath, status));
    return result;
  }
  result.reached = true;
  result.complete = true;

  // A value changed in the copy is read whole and written with its type.
  auto copyBack = [&](const config::Setting& setting, bool reportUnreadable) -> bool {
    RegistryValue value;
    if (LSTATUS read = ReadValue(copy.get(), setting.name, value); read != ERROR_SUCCESS) {
      if (reportUnreadable)
        messages.Show(ErrorMessage(FormatText(L"RegQueryValueEx returned %d", static_cast<int>(read)), read));
      return false;
    }
    if (LSTATUS written = WriteValue(version.get(), setting.name, value); written != ERROR_SUCCESS) {
      messages.Show(ErrorMessage(FormatText(L"Can't write %s to %s", setting.name, computer.c_str()), written));
      result.complete = false;
      return false;
    }
    if (SameName(setting.name, config::kProfile)) result.profile = value.Text();
    return true;
  };
  for (const config::Setting* setting : config::CopyBackTable(config::ChangeMask::Dword))
    if (masks.IsMarked(setting->change)) copyBack(*setting, true);
  for (const config::Setting* setting : config::CopyBackTable(config::ChangeMask::String))
    if (masks.IsMarked(setting->change)) copyBack(*setting, false);
  if (masks.IsMarked(config::kGroupsChangeBit) &&
      !CopyGroupsBack(version.get(), computer, versionKeyPath, localCopyPath, messages))
    result.complete = false;
  return result;
}

void CServerPanelDlg::Configure() {
  std::optional<std::wstring> name = GetSelectedComputer();
  if (!name) return;
  // Its record takes the new profile at the end, should the purge come meanwhile.
  HeldComputer computer = HoldComputer(*name);
  if (!IsLocalCopyName(*name)) {
    ui::ShowMessage(window(),
                    FormatText(L"Can't configure \"%s\": no local copy can be kept under that name.", name->c_str()));
    return;
  }
  config::ConsoleHost& host = app_.host();
  const config::Target machine = config::Target::Machine(*name);
  const std::wstring localCopyPath = host.KeyPath(machine);

  SetStatusText(FormatText(L"Retrieving configuration data for %s...", name->c_str()));
  HeldMessages messages;
  std::wstring versionKeyPath;
  bool fetched = false;
  RunInBackground(window(), [&] { fetched = CopyRemoteConfiguration(*name, localCopyPath, versionKeyPath, messages); });
  messages.ShowAll(window());
  if (!fetched) {
    SetStatusText(L"Ready");
    return;
  }
  SetStatusText(FormatText(L"Retrieved configuration for %s", name->c_str()));

  config::Target target = machine;
  std::wstring caption = FormatText(L"Configuration for %s", name->c_str());
  if (AssignedProfile assigned = ReadAssignedProfile(localCopyPath); !assigned.profile.empty()) {
    config::CProfileWarningDlg warning(*name, assigned.profile);
    INT_PTR answer = warning.DoModal(window());
    if (answer == kEditProfile) {
      ProfileToEdit profile = FindProfileToEdit(*name, assigned, app_.computerName(),
                                                FormatText(L"%s\\%s", host.consoleKeyPath().c_str(), kProfilesSubkey));
      if (profile.name.empty()) {
        ui::ShowMessage(window(), profile.refusal);
        SetStatusText(L"Ready");
        return;
      }
      target = config::Target::Profile(profile.name);
      caption = FormatText(L"Edit profile %s", profile.name.c_str());
    } else if (answer != kContinue) {
      SetStatusText(L"Ready");
      return;
    }
  }

  host.changes().Clear();
  if (config::ShowConfigurationSheet(window(), host, target, caption, config::SheetPages::Machine) != IDOK) return;
  const config::ChangeMasks masks = host.changes();
  // The profile's pages wrote into the profile key: the workstation's copy
  // was not edited, and nothing of it goes back.
  if (target.IsProfile() || (masks.dwordChangeMask == 0 && masks.stringChangeMask == 0)) return;

  CopyBackResult result;
  RunInBackground(window(),
                  [&] { result = CopyBackConfiguration(*name, versionKeyPath, localCopyPath, masks, messages); });
  messages.ShowAll(window());
  if (!result.reached) return;
  if (result.profile && computer) {
    computer->profile = *result.profile;
    int row = list_.FindComputerRow(*name);
    if (row >= 0) list_.SetSubItem(row, kProfileColumn, computer->profile.str());
  }
  SetStatusText(result.complete ? FormatText(L"Updated configuration for %s...", name->c_str())
                                : FormatText(L"Configuration for %s was not completely updated.", name->c_str()));
}

}  // namespace lullan::tarnel
