#include "computer_probe.h"

#include <lm.h>

#include <cwchar>

#include "console_state.h"
#include "handles.h"
#include "os_label.h"
#include "product.h"
#include "registry_values.h"
#include "remote_keys.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

constexpr wchar_t kWindowsVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kWinlogonKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
// A registry key's name has at most 255 characters.
constexpr DWORD kKeyNameChars = 256;

// The label of the Windows version a computer's registry names. Windows 8.1
// and every later Windows keep "CurrentVersion" at "6.3" and tell their own
// version in two numbers.
std::optional<std::wstring> WindowsVersionLabel(HKEY root) {
  unique_hkey key = OpenKey(root, kWindowsVersionKey, KEY_READ);
  if (!key) return std::nullopt;
  std::optional<DWORD> major = ReadDword(key.get(), L"CurrentMajorVersionNumber");
  std::optional<DWORD> minor = ReadDword(key.get(), L"CurrentMinorVersionNumber");
  if (major && minor) return OsLabel(SV_TYPE_NT, *major, *minor);

  std::optional<std::wstring> version = ReadText(key.get(), L"CurrentVersion");  // "4.0", "5.0", "6.1"
  if (!version) return std::nullopt;
  const wchar_t* text = version->c_str();
  wchar_t* end = nullptr;
  const unsigned long majorNumber = std::wcstoul(text, &end, 10);
  if (end == text || *end != L'.') return std::nullopt;
  text = end + 1;
  const unsigned long minorNumber = std::wcstoul(text, &end, 10);
  if (end == text) return std::nullopt;
  return OsLabel(SV_TYPE_NT, majorNumber, minorNumber);
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

std::optional<ProbeResult> ProbeComputer(ConsoleState& state, const std::wstring& computer, MessageSink& messages,
                                         bool readOsText) {
  ProbeGate::Hold hold(state.probes);
  if (!state.records.FindComputer(computer)) return std::nullopt;

  ProbeResult result;
  unique_hkey root = ConnectRegistry(computer);
  if (!root) {
    messages.Show(FormatText(L"Error connecting to registry on %s", computer.c_str()));
    return result;
  }

  std::wstring versionKeyPath;
  unique_hkey version = OpenVersionKey(root.get(), KEY_QUERY_VALUE, versionKeyPath, messages);
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
  if (readOsText) result.osText = WindowsVersionLabel(root.get());
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
  if (result.osText) record.osText = *result.osText;
}

}  // namespace lullan::tarnel
