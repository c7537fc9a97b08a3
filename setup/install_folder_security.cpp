#include "install_folder_security.h"

#include <shlobj.h>

#include "config_host.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

bool Secure(HWND owner, const std::wstring& path, const std::wstring& sddl, const wchar_t* failure) {
  DWORD status = ApplyFileSecurity(path, sddl);
  if (status == ERROR_SUCCESS) return true;
  config::ReportError(owner, status, FormatText(failure, path.c_str()));
  return false;
}

}  // namespace

bool SecureInstallFolder(HWND owner, const std::wstring& folder) {
  return Secure(owner, folder, InstallFolderSddl(), L"Can't secure directory %s");
}

bool SecureInstalledFile(HWND owner, const std::wstring& file) {
  return Secure(owner, file, InstalledFileSddl(), L"Can't secure file %s");
}

bool PrepareInstallFolder(HWND owner, const std::wstring& folder) {
  if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (!CreateInstallFolder(folder)) return true;  // the copy makes it, with its parents
    ::SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, folder.c_str(), nullptr);
  }
  return SecureInstallFolder(owner, folder);
}

}  // namespace lullan::setup
