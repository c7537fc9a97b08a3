// The shell's folders as setup uses them: the common Programs folder of the
// Start menu, the product's folder in it, and item lists from the shell.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "unique_any.h"

namespace lullan::setup {

struct SetupSite;

namespace traits {
struct ItemList {  // item lists the shell allocated
  using type = LPITEMIDLIST;
  static type invalid() noexcept { return nullptr; }
  static void close(type list) noexcept { ::CoTaskMemFree(list); }
};
}  // namespace traits
using unique_item_list = unique_any<traits::ItemList>;

// The file-system path of `list`, empty when it has none.
std::wstring PathOfItemList(LPCITEMIDLIST list);

// What became of the search for the common Programs folder.
enum class ProgramsFolder {
  kFound,
  kNoLocation,  // the shell gave no location for it
  kNoPath,      // the location has no file-system path
  kEmptyPath,
};
struct ProgramsFolderResult {
  ProgramsFolder outcome;
  std::wstring path;
};
// The common Programs folder for `owner` (or the site's own folder, for tests).
ProgramsFolderResult FindProgramsFolder(const SetupSite& site, HWND owner);

// The first entry of `folder` matching `pattern` ("Administrative Tool*"), by name.
std::optional<std::wstring> FirstMatch(const std::wstring& folder, const wchar_t* pattern);

// The folder of the product's shortcuts below the Programs folder
// `programs`: "Lullan" in the first entry matching `pattern`, or, where the
// Programs folder has no such entry, "Lullan" directly below it.
std::wstring MenuFolder(const SetupSite& site, const std::wstring& programs, const wchar_t* pattern);

}  // namespace lullan::setup
