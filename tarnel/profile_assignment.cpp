// "Assign Profile" of the main dialog, and what it writes into each
// selected workstation.
#include "profile_assignment.h"

#include <vector>

#include "background_call.h"
#include "computer_probe.h"
#include "config_key.h"
#include "message_box.h"
#include "packed_time.h"
#include "product.h"
#include "profile_stamp.h"
#include "remote_keys.h"
#include "schema.h"
#include "server_panel_app.h"
#include "server_panel_dlg.h"
#include "shared_profiles_dlg.h"
#include "target.h"
#include "text_format.h"
#include "wait_cursor.h"

namespace lullan::tarnel {

namespace {

constexpr DWORD kMinutesPerDay = 24 * 60;

LSTATUS WriteText(HKEY key, const wchar_t* name, const std::wstring& text) {
  // REG_SZ with its terminator counted.
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LSTATUS WriteDword(HKEY key, const wchar_t* name, DWORD value) {
  return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The profile's own stamp, when it has one: four bytes, as the monitor reads it.
std::optional<DWORD> ProfileStamp(const config::ConsoleHost& host, const std::wstring& profile) {
  LSTATUS status = ERROR_SUCCESS;
  config::ConfigKey key =
      config::ConfigKey::Open(host.KeyPath(config::Target::Profile(profile)), KEY_QUERY_VALUE, &status);
  std::optional<config::StoredDword> stored = key ? key.QueryDword(config::kProfileLastChanged) : std::nullopt;
  return stored ? std::optional<DWORD>(stored->data) : std::nullopt;
}

}  // namespace

AssignmentResult WriteAssignment(const std::wstring& computer, const ProfileAssignment& assignment,
                                 MessageSink& messages) {
  LSTATUS status = ERROR_SUCCESS;
  unique_hkey root = ConnectRegistry(computer, &status);
  if (!root) return {AssignmentStep::Connection, status, {}};

  std::wstring versionKeyPath;
  {
    unique_hkey product = OpenKey(root.get(), kProductKey, KEY_READ, &status);
    if (!product) return {AssignmentStep::ProductKey, status, kProductKey};
    FindVersionKey(product.get(), versionKeyPath, messages);
  }
  unique_hkey version = OpenKey(root.get(), versionKeyPath, KEY_WRITE, &status);
  if (!version) return {AssignmentStep::VersionKey, status, versionKeyPath};

  if ((status = WriteText(version.get(), config::kProfile, assignment.profile)) != ERROR_SUCCESS ||
      (status = WriteText(version.get(), config::kPLS, assignment.server)) != ERROR_SUCCESS ||
      (status = WriteDword(version.get(), config::kProfileLastChanged, assignment.stamp)) != ERROR_SUCCESS) {
    return {AssignmentStep::Values, status, versionKeyPath};
  }
  return {AssignmentStep::Assigned, ERROR_SUCCESS, versionKeyPath};
}

DWORD AssignmentStamp(DWORD now, std::optional<DWORD> profileStamp) {
  if (!profileStamp || *profileStamp != now) return now;
  // Earlier rather than later: the profile's next change is stamped later
  // than its last one, and must differ from this workstation's stamp too.
  TimeOfDay time = UnpackTime(now);
  DWORD minute = (time.hour * 60 + time.minute + kMinutesPerDay - 1) % kMinutesPerDay;
  return PackTime(minute / 60, minute % 60);
}

void CServerPanelDlg::AssignProfile() {
  const std::vector<std::wstring> computers = SelectedComputers();
  if (computers.empty()) {
    ui::ShowMessage(*this, L"No computer selected");
    return;
  }

  ui::WaitCursor wait;
  auto waitAgain = [] { ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)); };
  auto tell = [&](const std::wstring& text) {
    ui::ShowMessage(*this, text);
    waitAgain();
  };

  CSharedProfilesDlg chooser(app_.host(), CSharedProfilesDlg::Mode::Assign);
  chooser.DoModal(window());
  waitAgain();
  const std::wstring profile = chooser.profileName();
  if (profile.empty()) return;

  std::wstring question = computers.size() == 1
                              ? FormatText(L"Assign profile %s to computer %s?", profile.c_str(), computers[0].c_str())
                              : FormatText(L"Assign profile %s to %d selected machines?", profile.c_str(),
                                           static_cast<int>(computers.size()));
  if (ui::ShowMessage(*this, question, MB_YESNO) != IDYES) return;
  waitAgain();

  const std::optional<DWORD> profileStamp = ProfileStamp(app_.host(), profile);
  int assigned = 0;
  for (const std::wstring& name : computers) {
    SetStatusText(FormatText(L"Assigning profile %s to %s...", profile.c_str(), name.c_str()));
    ProfileAssignment assignment{profile, app_.computerName(),
                                 AssignmentStamp(config::CurrentProfileStamp(), profileStamp)};
    // The dialog goes on answering while the workstation takes its time.
    HeldMessages messages;
    AssignmentResult result{};
    RunInBackground(window(), [&] { result = WriteAssignment(name, assignment, messages); });
    messages.ShowAll(window());

    // Each failure is told with the system's reason: "can't open" alone does
    // not tell a missing key from a refused one.
    switch (result.step) {
      case AssignmentStep::Connection:
        // Nothing after an unreachable computer is tried.
        tell(CantConnect(name, result.status));
        SetStatusText(L"Ready");
        return;
      case AssignmentStep::ProductKey:
        tell(CantOpenRemoteKey(result.keyPath, name, result.status));
        SetStatusText(L"Ready");
        return;
      case AssignmentStep::VersionKey:
        tell(CantOpenRemoteKey(result.keyPath, name, result.status));
        SetStatusText(L"Ready");
        continue;
      case AssignmentStep::Values:
        tell(ErrorMessage(FormatText(L"Error saving profile %s to computer %s", profile.c_str(), name.c_str()),
                          result.status));
        SetStatusText(L"Ready");
        continue;
      case AssignmentStep::Assigned:
        break;
    }
    if (CComputerInfo* record = state_->records.FindComputer(name)) record->profile = profile;
    int row = list_.FindComputerRow(name);
    if (row >= 0) list_.SetSubItem(row, kProfileColumn, profile);
    SetStatusText(FormatText(L"Profile %s successfully assigned to %s...", profile.c_str(), name.c_str()));
    ++assigned;
  }
  SetStatusText(FormatText(L"Assigned profile %s to %d computers.", profile.c_str(), assigned));
}

}  // namespace lullan::tarnel
