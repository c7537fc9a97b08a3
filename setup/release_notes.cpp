#include "release_notes.h"

#include "config_host.h"
#include "file_table.h"
#include "registration.h"
#include "setup_app.h"
#include "text_format.h"

namespace lullan::setup {

namespace {
constexpr wchar_t kReleaseNotes[] = L"readme.txt";
}  // namespace

std::wstring ReleaseNotesPath(const CSetupApp& app, bool installedInDialog) {
  const std::wstring& folder = installedInDialog ? app.installDir : app.startDirectory;
  std::wstring notes = FormatText(L"%s\\%s", folder.c_str(), kReleaseNotes);
  if (FileExists(notes)) return notes;
  return FormatText(L"%s\\%s", app.installDir.c_str(), kReleaseNotes);
}

void ShowReleaseNotes(const CSetupApp& app, bool installedInDialog, HWND owner) {
  std::wstring editor = FormatText(L"%s\\notepad.exe", app.windowsDirectory.c_str());
  // Both quoted: "C:\Program Files\Lullan\readme.txt" is one file, not two.
  std::wstring commandLine =
      FormatText(L"\"%s\" \"%s\"", editor.c_str(), ReleaseNotesPath(app, installedInDialog).c_str());
  if (!StartDetached(nullptr, commandLine)) config::ReportError(owner, 0, L"Can't start Notepad");
}

}  // namespace lullan::setup
