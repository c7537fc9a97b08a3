#include "profile_page.h"

#include "local_copy_key.h"
#include "profile_stamp.h"
#include "resource.h"

namespace lullan::config {

namespace {
constexpr wchar_t kNoServer[] = L"No server specified. Can't assign a profile without a server.";
}  // namespace

CServerDlg::CServerDlg(ConfigHost& host, Target target) : CConfigPage(IDD_PROFILE_PAGE, host, std::move(target)) {}

bool CServerDlg::OnInitPage() {
  // Nothing longer than the stored limit can be typed or pasted.
  LimitText(IDC_PROFILE_NAME, SettingOf(kProfile).maxChars);
  LimitText(IDC_PROFILE_SERVER, SettingOf(kPLS).maxChars);

  profileTarget_ = target().IsProfile();
  if (profileTarget_) {
    profile_ = target().Name();
    // A server typed here would be stored nowhere.
    SetReadOnly(IDC_PROFILE_NAME, true);
    SetReadOnly(IDC_PROFILE_SERVER, true);
  } else if (ConfigKey key = OpenLocalCopyForReading(window(), keyPath(), IsSetup())) {
    profile_ = key.ReadText(SettingOf(kProfile));
    server_ = key.ReadText(SettingOf(kPLS));
  }
  loadedProfile_ = profile_;
  loadedServer_ = server_;
  SetItemText(IDC_PROFILE_NAME, profile_);
  SetItemText(IDC_PROFILE_SERVER, server_);
  return true;
}

void CServerDlg::TakeControls() {
  if (profileTarget_) return;
  profile_ = GetItemText(IDC_PROFILE_NAME);
  server_ = GetItemText(IDC_PROFILE_SERVER);
}

bool CServerDlg::OnKillActive() {
  TakeControls();
  if (profileTarget_ || profile_.empty() || !server_.empty()) return true;
  // The monitor could never find the profile: refuse, and show where the server goes.
  Message(kNoServer);
  SetFocusTo(IDC_PROFILE_SERVER);
  return false;
}

bool CServerDlg::OnApply() {
  TakeControls();
  if (profileTarget_) return true;
  const Setting& profile = SettingOf(kProfile);
  const Setting& server = SettingOf(kPLS);
  if (IsSetup()) {
    // Written whether or not the version key existed, with a new assignment stamp.
    if (ConfigKey key = OpenForWriting(WriteMode::CreateAndWrite)) {
      key.Write(profile, profile_);
      key.Write(server, server_);
      WriteProfileStamp(key);
    }
    return true;
  }
  ConfigKey key = OpenLocalCopyForWriting(window(), keyPath());
  if (!key) return true;
  key.Write(profile, profile_);
  key.Write(server, server_);
  // The console copies the pair back together, or neither.
  if (profile_ != loadedProfile_ || server_ != loadedServer_) {
    MarkChanged(profile);
    MarkChanged(server);
  }
  return true;
}

}  // namespace lullan::config
