#include "activity.h"

#include <wtsapi32.h>

#include "handles.h"

namespace lullan::service {

namespace {
struct WtsMemory {  // WTSQuerySessionInformationW
  using type = LPWSTR;
  static type invalid() noexcept { return nullptr; }
  static void close(type p) noexcept { ::WTSFreeMemory(p); }
};
using unique_wts_memory = unique_any<WtsMemory>;
}  // namespace

DWORD IdleSeconds() {
  LASTINPUTINFO input{sizeof input, 0};
  if (!::GetLastInputInfo(&input)) return 0;
  // Unsigned arithmetic: right across the tick count's wrap after 49.7 days.
  return (::GetTickCount() - input.dwTime) / 1000;
}

std::optional<std::wstring> InteractiveUser() {
  unique_wts_memory name;
  DWORD bytes = 0;
  if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, ::WTSGetActiveConsoleSessionId(), WTSUserName,
                                     name.put(), &bytes) ||
      !name || name.get()[0] == L'\0') {
    return std::nullopt;
  }
  return std::wstring(name.get());
}

bool RecordActivity(const std::wstring& versionKey) {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, versionKey.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD idle = IdleSeconds();
  bool written = ::RegSetValueExW(key.get(), kSimsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&idle),
                                  sizeof idle) == ERROR_SUCCESS;
  // Kept while nobody is logged on: the previous user.
  if (std::optional<std::wstring> user = InteractiveUser()) {
    written &= ::RegSetValueExW(key.get(), kPrevUserValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(user->c_str()),
                                static_cast<DWORD>((user->size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  return written;
}

}  // namespace lullan::service
