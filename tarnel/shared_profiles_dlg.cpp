// "Shared Profiles" of the main dialog, and the dialog itself.
#include "shared_profiles_dlg.h"

#include <vector>

#include "configuration_sheet.h"
#include "handles.h"
#include "key_copy.h"
#include "message_box.h"
#include "new_profile_dlg.h"
#include "product.h"
#include "product_key_security.h"
#include "remote_keys.h"
#include "resource.h"
#include "server_panel_dlg.h"
#include "server_panel_app.h"
#include "target.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

// The "OnAdd:" messages serve Add, Delete and the filling of the list alike.
constexpr wchar_t kOpenFailedFormat[] = L"OnAdd: error opening registry key %s";
constexpr wchar_t kCreateFailedFormat[] = L"OnAdd: error creating registry key %s";
constexpr wchar_t kNoProfilesQuestion[] = L"No profiles exist. Do you want to create one?";
constexpr wchar_t kNothingToEdit[] = L"Nothing is selected - don't know what to edit.";
constexpr wchar_t kNothingToDelete[] = L"Nothing is selected - don't know what to delete.";
constexpr wchar_t kSuspiciousProfile[] = L"Warning: suspicious profile";
constexpr wchar_t kDeleteQuestionFormat[] = L"Delete profile %s?";
constexpr wchar_t kSheetCaptionFormat[] = L"Configuration for profile %s";
constexpr wchar_t kAssignLabel[] = L"A&ssign";

// The names of a key's subkeys; as many as could be read.
std::vector<std::wstring> Subkeys(HKEY key) {
  std::vector<std::wstring> names;
  SubkeyNames(key, names);
  return names;
}

}  // namespace

CSharedProfilesDlg::CSharedProfilesDlg(config::ConsoleHost& host, Mode mode)
    : CDialog(IDD_SHARED_PROFILES), host_(host), mode_(mode) {}

std::wstring CSharedProfilesDlg::ProfilesKeyPath() const {
  return FormatText(L"%s\\%s", host_.consoleKeyPath().c_str(), kProfilesSubkey);
}

bool CSharedProfilesDlg::OnInitDialog() {
  profileName_.clear();
  if (mode_ == Mode::Assign) {
    EnableItem(IDC_ADD_PROFILE, false);
    EnableItem(IDC_DELETE_PROFILE, false);
    EnableItem(IDOK, false);
    SetItemText(IDCANCEL, kAssignLabel);
    // Enter chooses, as Esc does; the disabled Edit would take nothing.
    Send(DM_SETDEFID, IDCANCEL);
  }
  if (!FillList()) {
    EndDialog(0);
    return false;
  }
  return true;
}

bool CSharedProfilesDlg::FillList() {
  unique_hkey console = OpenKey(HKEY_LOCAL_MACHINE, host_.consoleKeyPath(), KEY_CREATE_SUB_KEY);
  if (!console) {
    ui::ShowMessage(*this, FormatText(kOpenFailedFormat, host_.consoleKeyPath().c_str()));
    return false;
  }
  bool created = false;
  LSTATUS status = ERROR_SUCCESS;
  unique_hkey profiles = CreateKey(console.get(), kProfilesSubkey, KEY_ALL_ACCESS, &status, &created);
  if (!profiles) {
    config::ReportError(*this, status, L"FillListbox");
    return false;
  }
  if (created) {
    // Like every configuration key the console creates.
    config::SetProductKeySecurity(*this, ProfilesKeyPath(), config::ConfigHost::Program::Console);
    if (ui::ShowMessage(*this, kNoProfilesQuestion, MB_YESNO) != IDYES) return false;
    OnAdd();
    if (profileName_.empty()) return false;
    // Add listed the new profile already.
    return true;
  }
  for (const std::wstring& name : Subkeys(profiles.get())) {
    SendItem(IDC_PROFILE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  return true;
}

bool CSharedProfilesDlg::OnCommand(unsigned code, unsigned id, HWND control) {
  // A double click on an entry is its button: Edit, or Assign.
  if (id == IDC_PROFILE_LIST && code == LBN_DBLCLK) {
    if (mode_ == Mode::Assign) {
      OnCancel();
    } else {
      OnEdit();
    }
    return true;
  }
  return CDialog::OnCommand(code, id, control);
}

bool CSharedProfilesDlg::OnButtonClicked(unsigned id, HWND button) {
  switch (id) {
    case IDC_ADD_PROFILE:
      if (mode_ == Mode::Manage) OnAdd();
      return true;
    case IDC_DELETE_PROFILE:
      if (mode_ == Mode::Manage) OnDelete();
      return true;
    default:
      return CDialog::OnButtonClicked(id, button);
  }
}

void CSharedProfilesDlg::OnOK() {
  if (mode_ == Mode::Manage) OnEdit();
}

void CSharedProfilesDlg::OnCancel() {
  profileName_ = SelectedText();
  EndDialog(IDCANCEL);
}

void CSharedProfilesDlg::OnAdd() {
  CNewProfileDlg ask;
  if (ask.DoModal(window()) != IDOK || ask.name().empty()) return;
  profileName_ = ask.name();

  const std::wstring profilesPath = ProfilesKeyPath();
  unique_hkey profiles = OpenKey(HKEY_LOCAL_MACHINE, profilesPath, KEY_CREATE_SUB_KEY);
  if (!profiles) {
    ui::ShowMessage(*this, FormatText(kOpenFailedFormat, profilesPath.c_str()));
    return;
  }
  bool created = false;
  unique_hkey profile = CreateKey(profiles.get(), profileName_, KEY_ALL_ACCESS, nullptr, &created);
  if (!created) {
    // The name is taken (names compare without regard to case), or the key
    // could not be made.
    ui::ShowMessage(*this, FormatText(kCreateFailedFormat, profilesPath.c_str()));
    return;
  }
  CreateKey(profiles.get(), GroupsKeyPath(profileName_), KEY_ALL_ACCESS);
  profile.reset();
  profiles.reset();

  // The profile and its Groups subkey get the product's entries; a failure
  // there is told and leaves the new profile in place.
  const std::wstring profilePath = FormatText(L"%s\\%s", profilesPath.c_str(), profileName_.c_str());
  config::SetProductKeySecurity(*this, profilePath, config::ConfigHost::Program::Console);
  config::SetProductKeySecurity(*this, GroupsKeyPath(profilePath), config::ConfigHost::Program::Console);

  LRESULT entry = SendItem(IDC_PROFILE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(profileName_.c_str()));
  if (entry >= 0) SendItem(IDC_PROFILE_LIST, LB_SETCURSEL, static_cast<WPARAM>(entry));
}

void CSharedProfilesDlg::OnEdit() {
  std::optional<std::wstring> name = SelectedProfile(kNothingToEdit);
  if (!name) return;
  profileName_ = *name;
  // The pages write into the profile key themselves; the masks are cleared
  // as before every sheet, and not read afterwards.
  host_.changes().Clear();
  config::ShowConfigurationSheet(window(), host_, config::Target::Profile(profileName_),
                                 FormatText(kSheetCaptionFormat, profileName_.c_str()), config::SheetPages::Profile);
}

void CSharedProfilesDlg::OnDelete() {
  std::optional<std::wstring> name = SelectedProfile(kNothingToDelete);
  if (!name) return;
  profileName_ = *name;

  unique_hkey console = OpenKey(HKEY_LOCAL_MACHINE, host_.consoleKeyPath(), KEY_CREATE_SUB_KEY);
  if (!console) {
    ui::ShowMessage(*this, FormatText(kOpenFailedFormat, host_.consoleKeyPath().c_str()));
    return;
  }
  if (ui::ShowMessage(*this, FormatText(kDeleteQuestionFormat, profileName_.c_str()), MB_YESNO) != IDYES) return;

  const std::wstring relativePath = FormatText(L"%s\\%s", kProfilesSubkey, profileName_.c_str());
  {
    unique_hkey profile = OpenKey(console.get(), relativePath, KEY_ALL_ACCESS);
    if (!profile) {
      ui::ShowMessage(*this, FormatText(kOpenFailedFormat, relativePath.c_str()));
      return;
    }
    // A profile has one subkey, Groups, which holds only values.
    for (const std::wstring& subkey : Subkeys(profile.get())) ::RegDeleteKeyW(profile.get(), subkey.c_str());
  }
  if (::RegDeleteKeyW(console.get(), relativePath.c_str()) != ERROR_SUCCESS) return;
  LRESULT entry =
      SendItem(IDC_PROFILE_LIST, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name->c_str()));
  if (entry >= 0) SendItem(IDC_PROFILE_LIST, LB_DELETESTRING, static_cast<WPARAM>(entry));
}

std::wstring CSharedProfilesDlg::SelectedText() const {
  LRESULT selected = SendItem(IDC_PROFILE_LIST, LB_GETCURSEL);
  if (selected < 0) return std::wstring();
  LRESULT length = SendItem(IDC_PROFILE_LIST, LB_GETTEXTLEN, static_cast<WPARAM>(selected));
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied =
      SendItem(IDC_PROFILE_LIST, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::optional<std::wstring> CSharedProfilesDlg::SelectedProfile(const wchar_t* nothingSelected) {
  if (SendItem(IDC_PROFILE_LIST, LB_GETCURSEL) < 0) {
    ui::ShowMessage(*this, nothingSelected);
    return std::nullopt;
  }
  std::wstring name = SelectedText();
  if (name.empty()) {
    ui::ShowMessage(*this, kSuspiciousProfile);
    return std::nullopt;
  }
  return name;
}

void CServerPanelDlg::ManageSharedProfiles() {
  CSharedProfilesDlg profiles(app_.host());
  profiles.DoModal(window());
}

}  // namespace lullan::tarnel
