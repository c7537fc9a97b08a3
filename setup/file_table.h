// The product's files: what setup copies into the installation directory and
// deletes from it again, and where that directory lies by default.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace lullan::setup {

struct InstallFileEntry {
  std::wstring name;
  // The installation directory of the running setup: every row names the
  // same one, so choosing another directory moves all of them.
  const std::wstring* directory = nullptr;
  bool replace = true;      // copied always and deleted at removal (else only copied when missing, and kept)
  bool serverOnly = false;  // copied and deleted only on a profile server

  // "%s\%s" of the directory and the name.
  std::wstring Path() const { return *directory + L"\\" + name; }
};

using FileTable = std::array<InstallFileEntry, 18>;

// The eighteen rows, in the order setup works through them. `programName` is
// the running setup program's own file name (its path after the last
// backslash); `installDir` is the directory every row names.
FileTable MakeFileTable(std::wstring_view programName, const std::wstring& installDir);

// The installation directory when none is configured: "Lullan" in the first
// of the usual parents that exists (the system drive's Program Files first),
// else `fallback`.
std::wstring DefaultInstallDirectory(std::wstring_view systemDirectory, const std::wstring& fallback);

// "C:\Program Files\Lullan" where "c:\program files" exists, else "C:\Lullan".
std::wstring FallbackInstallDirectory();

bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);

}  // namespace lullan::setup
