// "Lullan Configuration & Setup Utility": setup's main dialog. Its buttons
// configure this machine, install, remove, show the release notes, start or
// stop the idle-logoff service, and exit; a status line under them says what
// the button with the focus would do. Install is the OK button and Exit the
// Cancel button, so Enter installs and Escape leaves. The system menu has
// the About box.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>
#include <string_view>
#include <utility>

#include "dialog.h"
#include "ui_handles.h"

namespace lullan::setup {

class CSetupApp;

// The status line's text while the control `focusId` has the focus.
std::wstring StatusText(unsigned focusId, std::wstring_view computerName);

class CSetupDlg final : public ui::CDialog {
 public:
  explicit CSetupDlg(CSetupApp& app);
  ~CSetupDlg() override;

  // Set by an installation in this dialog, cleared by Remove: where the
  // release notes are read from.
  bool installedInDialog() const noexcept { return installedInDialog_; }

  // Rewrites the status line from the control that has the focus.
  void RefreshStatus() const;

 private:
  // COM for this thread while the dialog is up: an installation's shell links need it.
  class ComForThread {
   public:
    ComForThread() = default;
    ComForThread(const ComForThread&) = delete;
    ComForThread& operator=(const ComForThread&) = delete;
    ~ComForThread() { Leave(); }
    void Enter() { entered_ = SUCCEEDED(::CoInitialize(nullptr)); }
    void Leave() {
      if (std::exchange(entered_, false)) ::CoUninitialize();
    }

   private:
    bool entered_ = false;
  };

  bool OnInitDialog() override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  void OnOK() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  void AddAboutCommand();
  void SetIcons();
  void Configure();
  void InstallCommand();
  void AfterInstallation();
  void Remove();
  void StartStop();
  bool PaintMinimised();

  CSetupApp& app_;
  bool installedInDialog_ = false;
  ComForThread com_;
  unique_hook keyHook_;
  unique_icon bigIcon_;
  unique_icon smallIcon_;
};

}  // namespace lullan::setup
