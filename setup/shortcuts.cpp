#include "shortcuts.h"

#include <shlobj.h>

#include "com_ptr.h"
#include "message_box.h"
#include "progress_dlg.h"
#include "setup_app.h"
#include "shell_folders.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

constexpr wchar_t kInstallPattern[] = L"Administrative Tool*";
constexpr wchar_t kRemovePattern[] = L"Administrative Tools*";
constexpr wchar_t kSetupShortcut[] = L"LullanSetup.lnk";
constexpr wchar_t kConsoleShortcut[] = L"Tarnel.lnk";
constexpr wchar_t kNoFolder[] = L"Can't get Administrative Tools folder location";

// The shell link object. Spelled here: taken from libuuid, its one object
// file would bring some forty kilobytes of other identifiers along.
constexpr CLSID kShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

void Notify(LONG event, const std::wstring& path) {
  ::SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, path.c_str(), nullptr);
}

void DeleteShortcut(const std::wstring& path) {
  ::DeleteFileW(path.c_str());
  Notify(SHCNE_DELETE, path);
}

}  // namespace

void CreateShortcut(const ShortcutSpec& spec) {
  com_ptr<IShellLinkW> link;
  if (SUCCEEDED(
          ::CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW), link.put_void()))) {
    link->SetPath(FormatText(L"%s\\%s", spec.targetDirectory.c_str(), spec.targetFile.c_str()).c_str());
    link->SetDescription(spec.description.c_str());
    com_ptr<IPersistFile> file;
    if (SUCCEEDED(link.query(__uuidof(IPersistFile), file))) {
      std::wstring path = FormatText(L"%s\\%s", spec.shortcutFolder.c_str(), spec.shortcutFile.c_str());
      ::DeleteFileW(path.c_str());
      file->Save(path.c_str(), TRUE);
    }
  }
  ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, spec.shortcutFolder.c_str(), nullptr);
}

bool AddSetupShortcut(const CSetupApp& app, CProgressDlg& progress, HWND owner) {
  ProgramsFolderResult programs = FindProgramsFolder(app.site(), owner);
  switch (programs.outcome) {
    case ProgramsFolder::kNoLocation:
    case ProgramsFolder::kEmptyPath:
      return true;
    case ProgramsFolder::kNoPath:
      ui::ShowMessage(owner, kNoFolder);
      return false;
    case ProgramsFolder::kFound:
      break;
  }
  if (!app.serverInstall &&
      ui::ShowMessage(owner, L"Do you want to add Lullan's configuration utility\nto the Start Menu?", MB_YESNO) !=
          IDYES) {
    return true;
  }
  std::wstring folder = MenuFolder(app.site(), programs.path, kInstallPattern);
  if (!DirectoryExists(folder)) ::CreateDirectoryW(folder.c_str(), nullptr);
  progress.Step(L"Adding LullanSetup to menu");
  CreateShortcut({app.installDir, L"setup.exe", folder, kSetupShortcut, L"Lullan setup & configuration utility"});
  return true;
}

void AddConsoleShortcut(const CSetupApp& app, HWND owner) {
  ProgramsFolderResult programs = FindProgramsFolder(app.site(), owner);
  if (programs.outcome != ProgramsFolder::kFound) {
    ui::ShowMessage(owner, kNoFolder);
    return;
  }
  std::wstring folder = MenuFolder(app.site(), programs.path, kInstallPattern);
  if (!DirectoryExists(folder)) ::CreateDirectoryW(folder.c_str(), nullptr);
  CreateShortcut({app.installDir, L"tarnel.exe", folder, kConsoleShortcut, L"Lullan Server Control Panel"});
}

void RemoveShortcuts(const CSetupApp& app, HWND owner) {
  ProgramsFolderResult programs = FindProgramsFolder(app.site(), owner);
  if (programs.outcome != ProgramsFolder::kFound) return;
  std::wstring folder = MenuFolder(app.site(), programs.path, kRemovePattern);
  std::wstring setupShortcut = FormatText(L"%s\\%s", folder.c_str(), kSetupShortcut);
  if (!FileExists(setupShortcut)) return;
  DeleteShortcut(setupShortcut);
  std::wstring consoleShortcut = FormatText(L"%s\\%s", folder.c_str(), kConsoleShortcut);
  if (FileExists(consoleShortcut)) DeleteShortcut(consoleShortcut);
  ::RemoveDirectoryW(folder.c_str());
  Notify(SHCNE_RMDIR, folder);
}

}  // namespace lullan::setup
