#include "install_folder_access.h"

#include <sddl.h>

#include "handles.h"
#include "text_format.h"

namespace lullan::msi {

namespace {

// "O:BAD:<control>" and one "(A;<flags>;<rights>;;;<account>)" per entry.
std::wstring Sddl(const wchar_t* control, const wchar_t* aceFlags) {
  std::wstring sddl = FormatText(L"O:BAD:%s", control);
  for (const FolderAccess& access : kInstallFolderAccess) {
    sddl += FormatText(L"(A;%s;0x%lx;;;%s)", aceFlags, static_cast<unsigned long>(access.rights), access.account);
  }
  return sddl;
}

}  // namespace

std::wstring InstallFolderSddl() { return Sddl(L"PAI", L"OICI"); }
std::wstring InstalledFileSddl() { return Sddl(L"AI", L"ID"); }

DWORD ApplyFileSecurity(const std::wstring& path, const std::wstring& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    return ::GetLastError();
  unique_local_memory owned(descriptor);
  // SetFileSecurityW: the list is complete as it stands, and it is the call
  // Wine applies.
  if (!::SetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor))
    return ::GetLastError();
  return ERROR_SUCCESS;
}

DWORD SecureFolderFiles(const std::wstring& folder, std::wstring* failed) {
  WIN32_FIND_DATAW found;
  unique_find search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return ::GetLastError();
  const std::wstring sddl = InstalledFileSddl();
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring path = folder + L"\\" + found.cFileName;
    if (DWORD status = ApplyFileSecurity(path, sddl); status != ERROR_SUCCESS) {
      *failed = path;
      return status;
    }
  } while (::FindNextFileW(search.get(), &found));
  return ERROR_SUCCESS;
}

}  // namespace lullan::msi
