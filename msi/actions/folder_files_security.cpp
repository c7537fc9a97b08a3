#include "folder_files_security.h"

#include "handles.h"
#include "text_format.h"

namespace lullan::msi {

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
