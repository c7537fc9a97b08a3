#include "computer_probe.h"

#include "console_state.h"
#include "handles.h"
#include "platform.h"
#include "product.h"
#include "registry_values.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

constexpr wchar_t kWinlogonKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
// A registry key's name has at most 255 characters.
constexpr DWORD kKeyNameChars = 256;

// Keys are owned only once the call has succeeded: a failed call's output is no key.
unique_hkey OpenKey(HKEY parent, const std::wstring& path, REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return unique_hkey();
  return unique_hkey(key);
}

unique_hkey ConnectRegistry(const std::wstring& computer) {
  HKEY root = nullptr;
  std::wstring machine = L"\\\\" + computer;
  if (platform().remoteRegistry->ConnectRegistry(machine.c_str(), HKEY_LOCAL_MACHINE, &root) != ERROR_SUCCESS)
    return unique_hkey();
  return unique_hkey(root);
}

}  // namespace

bool FindVersionKey(HKEY productKey, std::wstring& path, MessageSink& messages) {
  path = kProductKey;
  DWORD subkeys = 0;
  if (::RegQueryInfoKeyW(productKey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  // The product key holds nothing but version subkeys; the last one is the
  // newest version installed.
  std::wstring last;
  for (DWORD index = 0; index < subkeys; ++index) {
    wchar_t name[kKeyNameChars] = {};
    DWORD length = kKeyNameChars;
    if (::RegEnumKeyExW(productKey, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      messages.Show(L"Error: RegEnumKeyEx");
      break;
    }
    last.assign(name, length);
  }
  if (last.empty() || last[0] < L'0' || last[0] > L'9') return false;
  path += L"\\" + last;
  return true;
}

std::optional<ProbeResult> ProbeComputer(ConsoleState& state, const std::wstring& computer, MessageSink& messages) {
  CriticalSectionLock hold(state.probeLock);
  if (!state.records.FindComputer(computer)) return std::nullopt;

  ProbeResult result;
  unique_hkey root = ConnectRegistry(computer);
  if (!root) {
    messages.Show(FormatText(L"Error connecting to registry on %s", computer.c_str()));
    return result;
  }

  std::wstring versionKeyPath;
  {
    unique_hkey product = OpenKey(root.get(), kProductKey, KEY_READ);
    if (!product) return result;
    FindVersionKey(product.get(), versionKeyPath, messages);
  }
  unique_hkey version = OpenKey(root.get(), versionKeyPath, KEY_QUERY_VALUE);
  if (!version) return result;
  result.idleTime = ReadDword(version.get(), L"sims$");
  std::optional<DWORD> dailyLogoff = ReadDword(version.get(), L"EnableDailyLogoff");
  if (dailyLogoff && *dailyLogoff != 0) {
    if (std::optional<DWORD> packed = ReadDword(version.get(), L"DailyLogoffTime"))
      result.dailyLogoffTime = UnpackTime(*packed);
  }
  result.previousUser = ReadText(version.get(), L"PrevUser");
  result.profile = ReadText(version.get(), L"Profile");
  version.reset();

  if (unique_hkey winlogon = OpenKey(root.get(), kWinlogonKey, KEY_READ))
    result.currentUser = ReadText(winlogon.get(), L"DefaultUserName");
  result.versionKeyOpened = true;
  return result;
}

void StoreProbe(CComputerInfo& record, const ProbeResult& result) {
  if (result.idleTime) record.idleTime = *result.idleTime;
  if (result.dailyLogoffTime) {
    record.dailyLogoff.hour = static_cast<WORD>(result.dailyLogoffTime->hour);
    record.dailyLogoff.minute = static_cast<WORD>(result.dailyLogoffTime->minute);
    record.dailyLogoff.set = true;
  }
  if (result.previousUser) record.previousUser = *result.previousUser;
  if (result.profile) record.profile = *result.profile;
  if (result.currentUser) record.currentUser = *result.currentUser;
}

}  // namespace lullan::tarnel
