#include "previous_version.h"

#include <algorithm>
#include <new>
#include <vector>

#include "handles.h"
#include "message_box.h"
#include "setup_app.h"

namespace lullan::setup {

namespace {
constexpr DWORD kMostRetries = 8;  // a value that keeps growing while it is read is passed over
}  // namespace

PreviousVersion FindPreviousVersion(const CSetupApp& app, HWND owner) {
  PreviousVersion found;
  unique_hkey product;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, app.site().productKey.c_str(), 0, KEY_READ, product.put()) != ERROR_SUCCESS) {
    return found;
  }
  DWORD subkeys = 0;
  DWORD longest = 0;
  if (::RegQueryInfoKeyW(product.get(), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return found;
  }
  std::vector<wchar_t> name;
  try {
    name.resize(longest + 1);
  } catch (const std::bad_alloc&) {
    ui::ShowMessage(owner, L"Insufficient memory");
    return found;
  }
  for (DWORD index = 0; index < subkeys; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    LSTATUS status = ::RegEnumKeyExW(product.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) {
      ui::ShowMessage(owner, L"Error: RegEnumKeyEx");
      break;
    }
    std::wstring subkey(name.data(), length);
    if (subkey == app.site().versionName) continue;
    ++found.count;
    found.name = std::move(subkey);
  }
  return found;
}

bool CopyKeyValues(const std::wstring& source, const std::wstring& target) {
  unique_hkey from;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, source.c_str(), 0, KEY_READ, from.put()) != ERROR_SUCCESS) return false;
  unique_hkey to;
  wchar_t noClass[] = L"";
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, target.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        to.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  DWORD longestName = 0;
  DWORD longestData = 0;
  if (::RegQueryInfoKeyW(from.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return true;
  }
  std::vector<wchar_t> name(longestName + 1);
  std::vector<BYTE> data(longestData + 1);
  for (DWORD index = 0, retries = 0;;) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    LSTATUS status =
        ::RegEnumValueW(from.get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
    if (status == ERROR_MORE_DATA && ++retries <= kMostRetries) {
      // A value that grew since the key was measured: make room and read it again.
      name.resize(name.size() * 2);
      data.resize(std::max<size_t>(data.size() * 2, dataSize));
      continue;
    }
    if (status == ERROR_SUCCESS) {
      ::RegSetValueExW(to.get(), name.data(), 0, type, data.data(), dataSize);
    } else if (status != ERROR_MORE_DATA) {
      break;  // ERROR_NO_MORE_ITEMS once all are copied
    }
    ++index;
    retries = 0;
  }
  return true;
}

}  // namespace lullan::setup
