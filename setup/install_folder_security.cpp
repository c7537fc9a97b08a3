#include "install_folder_security.h"

#include <sddl.h>

#include "config_host.h"
#include "handles.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

// "O:BAD:<control>" and one "(A;<flags>;<rights>;;;<account>)" per entry.
std::wstring Sddl(const wchar_t* control, const wchar_t* aceFlags) {
  std::wstring sddl = FormatText(L"O:BAD:%s", control);
  for (const FolderAccess& access : kInstallFolderAccess) {
    sddl += FormatText(L"(A;%s;0x%lx;;;%s)", aceFlags, static_cast<unsigned long>(access.rights), access.account);
  }
  return sddl;
}

// A self-relative descriptor in memory from LocalAlloc, or none with the
// last error set.
unique_local_memory Descriptor(const std::wstring& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    return unique_local_memory();
  return unique_local_memory(descriptor);
}

bool Secure(HWND owner, const std::wstring& path, const std::wstring& sddl, const wchar_t* failure) {
  unique_local_memory descriptor = Descriptor(sddl);
  // SetFileSecurityW rather than SetNamedSecurityInfoW: the list is complete
  // as it stands, and Wine, under which the tests run, applies only this call.
  if (descriptor &&
      ::SetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor.get()))
    return true;
  config::ReportError(owner, ::GetLastError(), FormatText(failure, path.c_str()));
  return false;
}

}  // namespace

std::wstring InstallFolderSddl() { return Sddl(L"PAI", L"OICI"); }
std::wstring InstalledFileSddl() { return Sddl(L"AI", L"ID"); }

bool SecureInstallFolder(HWND owner, const std::wstring& folder) {
  return Secure(owner, folder, InstallFolderSddl(), L"Can't secure directory %s");
}

bool SecureInstalledFile(HWND owner, const std::wstring& file) {
  return Secure(owner, file, InstalledFileSddl(), L"Can't secure file %s");
}

bool CreateInstallFolder(const std::wstring& folder) {
  unique_local_memory descriptor = Descriptor(InstallFolderSddl());
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  return ::CreateDirectoryW(folder.c_str(), descriptor ? &attributes : nullptr);
}

}  // namespace lullan::setup
