// The shared profiles of this profile server, CSharedProfilesDlg: each is a
// key below the console key's "Profiles" (with its own "Groups" subkey),
// listed by name. In manage mode the administrator adds profiles, edits one
// in the configuration sheet (its four pages write into the profile key
// themselves) and deletes them. In assign mode the dialog is the chooser of
// "Assign Profile": Edit, Add and Delete are disabled, and closing the
// dialog ("Assign", Enter or Esc) chooses the entry selected then.
//
//   CSharedProfilesDlg chooser(app.host(), CSharedProfilesDlg::Mode::Assign);
//   chooser.DoModal(owner);
//   if (!chooser.profileName().empty()) ...
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "config_host.h"
#include "dialog.h"

namespace lullan::tarnel {

class CSharedProfilesDlg : public ui::CDialog {
 public:
  enum class Mode { Manage, Assign };

  explicit CSharedProfilesDlg(config::ConsoleHost& host, Mode mode = Mode::Manage);

  // After the dialog: the entry selected when it was closed, else empty.
  // (While it is open Add, Edit and Delete keep the name they work on here.)
  const std::wstring& profileName() const noexcept { return profileName_; }

 protected:
  // Fills the list; when that fails (or no first profile is made) the dialog
  // ends at once with 0.
  bool OnInitDialog() override;
  bool OnCommand(unsigned code, unsigned id, HWND control) override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  void OnOK() override;      // Edit, also Enter in manage mode
  void OnCancel() override;  // Close or Assign, Esc and the close box

 private:
  bool FillList();
  void OnAdd();
  void OnEdit();
  void OnDelete();
  // The selected entry's name, or nullopt after `nothingSelected` (or the
  // warning about an entry that cannot be read) has been shown.
  std::optional<std::wstring> SelectedProfile(const wchar_t* nothingSelected);
  // The selected entry's text; empty when none is selected.
  std::wstring SelectedText() const;
  std::wstring ProfilesKeyPath() const;

  config::ConsoleHost& host_;
  const Mode mode_;
  std::wstring profileName_;
};

}  // namespace lullan::tarnel
