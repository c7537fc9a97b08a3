#include "file_table.h"

#include <windows.h>

#include "setup_site.h"
#include "text_format.h"

namespace lullan::setup {

FileTable MakeFileTable(std::wstring_view programName, const std::wstring& installDir) {
  const std::wstring ownName(programName);
  const wchar_t* names[] = {L"lullan.exe",  L"lullanMsg.dll", ownName.c_str(), L"readme.txt",    L"psapi.dll",
                            L"pdh.dll",     L"quitcom.dll",   L"tarnel.exe",   L"actwatch.dll",  L"boing.wav",
                            L"boioing.wav", L"carhorn.wav",   L"shoot.wav",    L"Xylophone.wav", L"zap.wav",
                            L"logoff.exe",  L"quitsrv.exe",   L"profmon.exe"};
  FileTable table;
  for (size_t row = 0; row < table.size(); ++row) {
    table[row] = InstallFileEntry{names[row], &installDir, true, false};
  }
  table[7].serverOnly = true;  // tarnel.exe: the console runs on the profile server only
  return table;
}

std::wstring DefaultInstallDirectory(std::wstring_view systemDirectory, const std::wstring& fallback) {
  std::wstring systemDrive = L"?:\\Program Files";
  if (!systemDirectory.empty()) systemDrive[0] = systemDirectory.front();
  const std::wstring parents[] = {systemDrive,      L"C:\\Program Files", L"C:\\Fennick", L"D:\\Fennick",
                                  L"C:\\Utilities", L"D:\\Utilities",     L"C:\\Util",    L"D:\\Util"};
  for (const std::wstring& parent : parents) {
    if (DirectoryExists(parent)) return FormatText(L"%s\\%s", parent.c_str(), kProductName);
  }
  return fallback;
}

std::wstring FallbackInstallDirectory() {
  return DirectoryExists(L"c:\\program files") ? FormatText(L"C:\\Program Files\\%s", kProductName)
                                               : FormatText(L"C:\\%s", kProductName);
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace lullan::setup
