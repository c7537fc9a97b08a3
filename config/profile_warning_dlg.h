// The console's warning before it opens the sheet of a machine whose
// configuration follows a shared profile: changes made to the machine itself
// last only until the profile is next copied over it. The administrator
// chooses Continue (6: edit the machine anyway), Edit Profile (7: edit the
// profile, for every machine that uses it) or Cancel (2).
//
//   CProfileWarningDlg warning(L"PC-017", L"stdLogoff");
//   switch (warning.DoModal(owner)) { ... }
#pragma once

#include <string>

#include "dialog.h"

namespace lullan::config {

class CProfileWarningDlg : public ui::CDialog {
 public:
  CProfileWarningDlg(std::wstring machine, std::wstring profile);

 private:
  bool OnInitDialog() override;
  bool OnButtonClicked(unsigned id, HWND button) override;

  std::wstring machine_;
  std::wstring profile_;
};

// The warning's text, with each name twice.
std::wstring ProfileWarningText(const std::wstring& machine, const std::wstring& profile);

}  // namespace lullan::config
