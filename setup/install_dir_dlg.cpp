#include "install_dir_dlg.h"

#include <shlobj.h>

#include "install_folder_security.h"
#include "message_box.h"
#include "own_thread.h"
#include "product_files.h"
#include "resource.h"
#include "setup_app.h"
#include "setup_site.h"
#include "shell_folders.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

// Preselects the installation directory once the browser is up.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

std::wstring FullPath(const std::wstring& typed) {
  size_t start = typed.find_first_not_of(L' ');
  if (start == std::wstring::npos) return {};
  std::wstring relative = typed.substr(start);
  DWORD size = ::GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
  if (size == 0) return relative;
  std::wstring full(size, L'\0');
  DWORD length = ::GetFullPathNameW(relative.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return relative;
  full.resize(length);
  // "C:\Lullan\" and "C:\Lullan" are one directory; the rows join names with a backslash.
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  return full;
}

}  // namespace

CInstallDirDlg::CInstallDirDlg(CSetupApp& app) : CDialog(IDD_INSTALL_DIR), app_(app) {}

bool CInstallDirDlg::OnInitDialog() {
  SetText(FormatText(L"%s Setup", kProductName));
  installIcon_.reset(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_INSTALL), IMAGE_ICON, 32, 32, 0)));
  SendItem(IDOK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(installIcon_.get()));
  LimitText(IDC_DIRECTORY, CSetupApp::kMaxDirectory);
  SetItemText(IDC_DIRECTORY, app_.installDir);
  SetFocusTo(IDOK);
  return false;
}

bool CInstallDirDlg::OnButtonClicked(unsigned id, HWND button) {
  if (id == IDC_BROWSE) {
    Browse();
    return true;
  }
  return CDialog::OnButtonClicked(id, button);
}

void CInstallDirDlg::Browse() {
  BROWSEINFOW browse{};
  browse.hwndOwner = window();
  browse.lpszTitle = L"Select a directory to copy files into:";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = &BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(app_.installDir.c_str());
  std::wstring path;
  ui::RunOnOwnThread(
      [&] {
        unique_item_list chosen(::SHBrowseForFolderW(&browse));
        if (chosen) path = PathOfItemList(chosen.get());
      },
      ui::Apartment::SingleThreaded);
  if (path.empty()) return;
  app_.installDir = std::move(path);
  SetItemText(IDC_DIRECTORY, app_.installDir);
}

void CInstallDirDlg::OnOK() {
  // The services and the uninstall entry name the directory by its full path.
  std::wstring directory = FullPath(GetItemText(IDC_DIRECTORY));
  if (directory.empty()) {
    ui::ShowMessage(window(), L"Please enter the directory to install into.");
    SetFocusTo(IDC_DIRECTORY);
    return;
  }
  if (!DirectoryExists(directory)) {
    if (ui::ShowMessage(window(), FormatText(L"Directory %s does not exist. Create it?", directory.c_str()),
                        MB_YESNO) != IDYES) {
      SetItemText(IDC_DIRECTORY, app_.installDir);
      return;
    }
  }
  if (!PrepareInstallFolder(window(), directory)) {
    SetFocusTo(IDC_DIRECTORY);
    return;
  }
  app_.installDir = std::move(directory);
  EndDialog(CopyProductFiles(app_, window()) == 0 ? IDOK : IDCANCEL);
}

}  // namespace lullan::setup
