#include "product.h"

#include "text_format.h"

namespace lullan {

std::wstring VersionKeyPath() { return FormatText(L"%s\\%s", kProductKey, kVersionName); }

std::wstring ConsoleKeyPath() { return VersionKeyPath() + L"\\" + kConsoleSubkey; }

std::wstring ProfileKeyPath(std::wstring_view versionKeyPath, std::wstring_view profile) {
  std::wstring path(versionKeyPath);
  path.append(L"\\").append(kConsoleSubkey).append(L"\\").append(kProfilesSubkey).append(L"\\").append(profile);
  return path;
}

std::wstring LocalCopyKeyPath(std::wstring_view machine) {
  std::wstring path = ConsoleKeyPath();
  path.append(L"\\").append(machine);
  return path;
}

std::wstring GroupsKeyPath(std::wstring_view configurationKeyPath) {
  std::wstring path(configurationKeyPath);
  path.append(L"\\").append(kGroupsSubkey);
  return path;
}

}  // namespace lullan
