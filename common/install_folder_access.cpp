#include "install_folder_access.h"

#include <sddl.h>

#include "handles.h"
#include "text_format.h"

namespace lullan {

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

}  // namespace

std::wstring InstallFolderSddl() { return Sddl(L"PAI", L"OICI"); }
std::wstring InstalledFileSddl() { return Sddl(L"AI", L"ID"); }

DWORD ApplyFileSecurity(const std::wstring& path, const std::wstring& sddl) {
  unique_local_memory descriptor = Descriptor(sddl);
  if (!descriptor) return ::GetLastError();
  if (!::SetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor.get()))
    return ::GetLastError();
  return ERROR_SUCCESS;
}

bool CreateInstallFolder(const std::wstring& folder) {
  unique_local_memory descriptor = Descriptor(InstallFolderSddl());
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  return ::CreateDirectoryW(folder.c_str(), descriptor ? &attributes : nullptr);
}

}  // namespace lullan
