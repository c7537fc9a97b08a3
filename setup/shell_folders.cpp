#include "shell_folders.h"

#include "handles.h"
#include "setup_site.h"
#include "text_format.h"

namespace lullan::setup {

std::wstring PathOfItemList(LPCITEMIDLIST list) {
  wchar_t path[MAX_PATH] = {};
  if (!list || !::SHGetPathFromIDListW(list, path)) return {};
  return path;
}

ProgramsFolderResult FindProgramsFolder(const SetupSite& site, HWND owner) {
  if (!site.programsFolder.empty()) return {ProgramsFolder::kFound, site.programsFolder};
  unique_item_list location;
  if (FAILED(::SHGetSpecialFolderLocation(owner, CSIDL_COMMON_PROGRAMS, location.put())) || !location) {
    return {ProgramsFolder::kNoLocation, {}};
  }
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(location.get(), path)) return {ProgramsFolder::kNoPath, {}};
  if (path[0] == L'\0') return {ProgramsFolder::kEmptyPath, {}};
  return {ProgramsFolder::kFound, path};
}

std::optional<std::wstring> FirstMatch(const std::wstring& folder, const wchar_t* pattern) {
  WIN32_FIND_DATAW found{};
  unique_find search(::FindFirstFileW(FormatText(L"%s\\%s", folder.c_str(), pattern).c_str(), &found));
  if (!search) return std::nullopt;
  return std::wstring(found.cFileName);
}

std::wstring MenuFolder(const SetupSite& site, const std::wstring& programs, const wchar_t* pattern) {
  if (std::optional<std::wstring> tools = FirstMatch(programs, pattern)) {
    return FormatText(L"%s\\%s\\%s", programs.c_str(), tools->c_str(), site.menuFolder.c_str());
  }
  return FormatText(L"%s\\%s", programs.c_str(), site.menuFolder.c_str());
}

}  // namespace lullan::setup
