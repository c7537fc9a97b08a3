#include "package_checks.h"

#include <algorithm>

#include "handles.h"
#include "text_format.h"

namespace lullan::msi {

const wchar_t kInstalledBySetup[] =
    L"Lullan was installed on this computer by setup.exe. Remove it first (\"setup.exe /u\", or \"Fennick Software "
    L"Lullan\" in Add/Remove Programs), then install this package.";

namespace {

constexpr size_t kMaxProfileChars = 63;
constexpr size_t kMaxComputerChars = 15;  // MAX_COMPUTERNAME_LENGTH
constexpr size_t kMaxAccountChars = 63;   // what setup's service account holds

bool HasControlCharacter(std::wstring_view text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < L' '; });
}

}  // namespace

bool InstalledBySetup() {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    unique_hkey entry;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\FenLullan", 0,
                        KEY_QUERY_VALUE | view, entry.put()) == ERROR_SUCCESS)
      return true;
  }
  return false;
}

std::wstring ServerName(std::wstring_view pls) {
  size_t first = pls.find_first_not_of(L'\\');
  return first == std::wstring_view::npos ? std::wstring() : std::wstring(pls.substr(first));
}

std::wstring AssignmentError(std::wstring_view profile, std::wstring_view server) {
  if (profile.empty() && server.empty()) return {};
  if (profile.empty()) return L"PLS names a profile server, but PROFILE names no profile to assign.";
  // The Profile page's own words for a profile without a server.
  if (server.empty()) return L"No server specified. Can't assign a profile without a server.";
  if (profile.size() > kMaxProfileChars || profile.find(L'\\') != std::wstring_view::npos ||
      HasControlCharacter(profile))
    return FormatText(L"\"%s\" can't be a shared profile's name: at most 63 characters, and no backslash.",
                      std::wstring(profile).c_str());
  if (server.size() > kMaxComputerChars || server.find_first_of(L"\\/ ") != std::wstring_view::npos ||
      HasControlCharacter(server))
    return FormatText(L"\"%s\" can't be a profile server's computer name.", std::wstring(server).c_str());
  return {};
}

std::wstring MonitorAccountError(std::wstring_view account, std::wstring_view password) {
  if (account.empty()) {
    return password.empty() ? std::wstring() : L"MONITORPASSWORD was given without MONITORACCOUNT.";
  }
  if (account.size() > kMaxAccountChars || HasControlCharacter(account))
    return FormatText(L"\"%s\" can't be the configuration monitor's account: at most 63 characters.",
                      std::wstring(account).c_str());
  return {};
}

std::wstring FolderPath(std::wstring_view directoryProperty) {
  std::wstring path(directoryProperty);
  // "C:\" stays a root.
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace lullan::msi
