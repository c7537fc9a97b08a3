#include "product_files.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "handles.h"
#include "install_folder_security.h"
#include "message_box.h"
#include "setup_app.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

// A list for the shell: each path ended by a null, the list by one more.
void Append(std::wstring& list, const std::wstring& path) {
  list += path;
  list.push_back(L'\0');
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsInUse(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

// How long the removal waits, in all, for files still in use: a service that
// has just said it stopped, or a user's agent, may still be ending.
constexpr DWORD kInUseWaitMs = 5000;
constexpr DWORD kInUseRetryMs = 250;

// Deletes `path`, waiting until `deadline` (a tick count) while it is in use;
// a file still in use then goes at the next restart. False, with the last
// error set, when it can go neither way.
bool DeleteOrLeaveToRestart(const std::wstring& path, DWORD deadline) {
  while (!::DeleteFileW(path.c_str())) {
    const DWORD error = ::GetLastError();
    if (IsMissing(error)) return true;
    if (!IsInUse(error)) return false;
    if (static_cast<LONG>(deadline - ::GetTickCount()) <= 0)
      return ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    ::Sleep(kInUseRetryMs);
  }
  return true;
}

}  // namespace

int CopyProductFiles(CSetupApp& app, HWND owner) {
  std::wstring sources;
  std::wstring destinations;
  std::vector<std::wstring> copied;
  for (const InstallFileEntry& row : app.fileTable) {
    if (row.serverOnly && !app.serverInstall) continue;
    if (!row.replace && FileExists(row.Path())) continue;
    std::wstring source = FormatText(L"%s\\%s", app.startDirectory.c_str(), row.name.c_str());
    if (!FileExists(source)) continue;
    Append(sources, source);
    Append(destinations, row.Path());
    copied.push_back(row.Path());
  }
  if (sources.empty()) return 0;
  sources.push_back(L'\0');
  destinations.push_back(L'\0');

  const bool folderMissing = !DirectoryExists(app.installDir);  // the shell makes it
  SHFILEOPSTRUCTW copy{};
  copy.hwnd = owner;
  copy.wFunc = FO_COPY;
  copy.pFrom = sources.c_str();
  copy.pTo = destinations.c_str();
  copy.fFlags = FOF_MULTIDESTFILES;
  // Quiet mode: no progress, no question, no error box; a failure is the result.
  if (app.quiet) copy.fFlags |= FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
  int result = ::SHFileOperationW(&copy);
  // Declining to replace a file is no failure of the shell's; the copy is.
  if (result == 0 && copy.fAnyOperationsAborted) return ERROR_CANCELLED;
  if (result != 0) return result;
  if (folderMissing && !SecureInstallFolder(owner, app.installDir)) return ERROR_ACCESS_DENIED;
  // A file replaced keeps the list and the owner it had: whoever planted it
  // could change it again. Each gets the folder's entries.
  for (const std::wstring& file : copied) {
    if (!SecureInstalledFile(owner, file)) return ERROR_ACCESS_DENIED;
  }
  return 0;
}

void DeleteProductFiles(CSetupApp& app, HWND owner) {
  const DWORD deadline = ::GetTickCount() + kInUseWaitMs;
  for (const InstallFileEntry& row : app.fileTable) {
    if (!row.replace || (row.serverOnly && !app.serverInstalled)) continue;
    std::wstring path = row.Path();
    if (::lstrcmpiW(row.name.c_str(), L"setup.exe") == 0) {
      // The running copy (removal started from the Add/Remove Programs entry)
      // will not go while this removal waits.
      if (!::DeleteFileW(path.c_str()) && !IsMissing(::GetLastError()))
        ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    } else if (!DeleteOrLeaveToRestart(path, deadline)) {
      ui::ShowMessage(owner, FormatText(L"Error deleting file %s", path.c_str()));
    }
  }
  std::wstring log = FormatText(L"%s\\lullan.log", app.installDir.c_str());
  if (FileExists(log)) ::DeleteFileW(log.c_str());
  ::MoveFileExW(app.installDir.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void DeleteTempFiles(const CSetupApp& app) {
  WIN32_FIND_DATAW found{};
  unique_find search(::FindFirstFileW(FormatText(L"%s\\*.tmp", app.installDir.c_str()).c_str(), &found));
  if (!search) return;
  do {
    ::DeleteFileW(FormatText(L"%s\\%s", app.installDir.c_str(), found.cFileName).c_str());
  } while (::FindNextFileW(search.get(), &found));
}

}  // namespace lullan::setup
