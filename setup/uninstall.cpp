#include "uninstall.h"

#include "config_host.h"
#include "handles.h"
#include "message_box.h"
#include "package_installation.h"
#include "product_files.h"
#include "progress_dlg.h"
#include "registration.h"
#include "service_control.h"
#include "service_registration.h"
#include "setup_app.h"
#include "shortcuts.h"
#include "shutdown.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

constexpr wchar_t kManagerFailed[] = L"OpenSCManager failed\n";

void RemoveUninstallEntry(const CSetupApp& app, HWND owner) {
  unique_hkey parent;
  LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallParentKey, 0, KEY_ALL_ACCESS, parent.put());
  if (status != ERROR_SUCCESS) {
    config::ReportError(owner, static_cast<DWORD>(status), L"RegOpenKeyEx");
    return;
  }
  status = ::RegDeleteKeyW(parent.get(), app.site().uninstallEntry.c_str());
  if (status != ERROR_SUCCESS) config::ReportError(owner, static_cast<DWORD>(status), L"RegDeleteKey");
}

}  // namespace

void Uninstall(CSetupApp& app, HWND owner) {
  if (RefusedForPackage(owner)) return;
  CProgressDlg progress;
  progress.Open(owner, L"Checking SCM");
  unique_schandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    progress.Close();
    ui::ShowMessage(owner, kManagerFailed);
    return;
  }
  if (IsServiceRunning(app.site().serviceName, owner)) {
    progress.SetText(L"Stopping service");
    if (!StopServicesForRemoval(app, owner)) {
      progress.Close();
      ui::ShowMessage(owner, kManagerFailed);
      return;
    }
  }

  progress.Step(L"Removing registry entries");
  DeleteKeyTree(HKEY_LOCAL_MACHINE, app.versionKey);
  RemoveUninstallEntry(app, owner);
  UnregisterComponents(app, owner);

  progress.Step(L"Removing service from SCM");
  DeleteServices(app, manager.get(), owner);
  manager.reset();

  progress.Step(L"Removing from menu");
  RemoveShortcuts(app, owner);

  progress.Step(L"Deleting files");
  DeleteProductFiles(app, owner);

  progress.Close();
  if (ui::ShowMessage(owner, RemovalRestartQuestion(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES) RestartComputer(owner);
}

std::wstring RemovalRestartQuestion() {
  return FormatText(
      L"%s service removed.\n\nTo completely remove all files the workstation must be rebooted.  Save any open files "
      L"before taking this action.  Do you want to reboot your computer now?",
      kProductName);
}

LSTATUS DeleteKeyTree(HKEY root, const std::wstring& path) {
  if (path.empty()) return ERROR_BADKEY;
  unique_hkey key;
  LSTATUS status = ::RegOpenKeyExW(root, path.c_str(), 0, DELETE | KEY_ENUMERATE_SUB_KEYS, key.put());
  if (status != ERROR_SUCCESS) return status;
  for (;;) {
    wchar_t name[256];
    DWORD length = ARRAYSIZE(name);
    status = ::RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return status;
    status = DeleteKeyTree(root, FormatText(L"%s\\%s", path.c_str(), name));
    if (status != ERROR_SUCCESS) return status;
  }
  key.reset();
  return ::RegDeleteKeyW(root, path.c_str());
}

}  // namespace lullan::setup
