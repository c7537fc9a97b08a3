#include "configuration_root.h"

#include <shlwapi.h>

#include "handles.h"
#include "product.h"
#include "product_key_acl.h"
#include "text_format.h"

namespace lullan::msi {

namespace {

LSTATUS WriteText(HKEY key, const wchar_t* name, const std::wstring& text) {
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Creates (or opens) `path` and gives it the product's key list.
LSTATUS CreateSecuredKey(const std::wstring& path, unique_hkey& key) {
  LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return static_cast<LSTATUS>(ApplyProductKeyDacl(key.get()));
}

std::wstring Failure(const wchar_t* what, const std::wstring& path, LSTATUS status) {
  return FormatText(L"%s %s (error %lu).", what, path.c_str(), static_cast<unsigned long>(status));
}

}  // namespace

std::wstring WriteConfigurationRoot(const ConfigurationRoot& root) {
  unique_hkey version;
  LSTATUS status = CreateSecuredKey(root.versionKey, version);
  if (status != ERROR_SUCCESS) return Failure(L"Can't create and secure registry key", root.versionKey, status);
  status = WriteText(version.get(), L"InstallDir", root.installDir);
  if (status != ERROR_SUCCESS) return Failure(L"Can't write InstallDir into", root.versionKey, status);

  const std::wstring groupsPath = GroupsKeyPath(root.versionKey);
  unique_hkey groups;
  status = CreateSecuredKey(groupsPath, groups);
  if (status != ERROR_SUCCESS) return Failure(L"Can't create and secure registry key", groupsPath, status);

  if (root.profile.empty()) return {};
  // "Profile", then "PLS", then "ProfileLastChanged", as the console assigns.
  status = WriteText(version.get(), L"Profile", root.profile);
  if (status == ERROR_SUCCESS) status = WriteText(version.get(), L"PLS", root.server);
  if (status == ERROR_SUCCESS)
    status = ::RegSetValueExW(version.get(), L"ProfileLastChanged", 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&root.stamp), sizeof root.stamp);
  if (status != ERROR_SUCCESS) return Failure(L"Can't assign the shared profile in", root.versionKey, status);
  return {};
}

DWORD RemoveConfigurationRoot(const std::wstring& versionKey) {
  DWORD status = ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, versionKey.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

namespace {
std::wstring UpgradeMarkPath(const std::wstring& productKey) { return productKey + L"\\Upgrading"; }
}  // namespace

DWORD MarkUpgrade(const std::wstring& productKey) {
  unique_hkey mark;
  return static_cast<DWORD>(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, UpgradeMarkPath(productKey).c_str(), 0, nullptr,
                                              REG_OPTION_VOLATILE, KEY_WRITE, nullptr, mark.put(), nullptr));
}

bool UpgradeMarked(const std::wstring& productKey) {
  unique_hkey mark;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, UpgradeMarkPath(productKey).c_str(), 0, KEY_READ, mark.put()) ==
         ERROR_SUCCESS;
}

void ClearUpgradeMark(const std::wstring& productKey) {
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, UpgradeMarkPath(productKey).c_str());
}

}  // namespace lullan::msi
