// Comparing the profile's change stamp on the profile server with the
// workstation's own. Each comparison opens its own connection to the server
// and closes it before returning.
#include "handles.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "product.h"
#include "profile_server.h"
#include "profile_sync.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {
constexpr wchar_t kStampValue[] = L"ProfileLastChanged";

// The stamp is read into four bytes whatever its type.
bool ReadStamp(HKEY key, DWORD* stamp) {
  DWORD size = sizeof *stamp;
  return ::RegQueryValueExW(key, kStampValue, nullptr, nullptr, reinterpret_cast<BYTE*>(stamp), &size) == ERROR_SUCCESS;
}
}  // namespace

bool ProfileChanged() {
  const MonitorState& monitor = Monitor();
  std::wstring server = ProfileServerUnc(monitor.profileServer);

  unique_hkey remoteRoot;
  if (!ConnectToProfileServer(server, &remoteRoot)) return false;

  std::wstring profileKeyPath = ProfileKeyPath(monitor.configKeyPath, monitor.profileName);
  unique_hkey profileKey;
  if (::RegOpenKeyExW(remoteRoot.get(), profileKeyPath.c_str(), 0, KEY_READ, profileKey.put()) != ERROR_SUCCESS) {
    DebugLine(FormatText(L"dbg> error opening registry key %s on %s", profileKeyPath.c_str(), server.c_str()));
    return false;
  }

  DWORD serverStamp = 0;
  if (!ReadStamp(profileKey.get(), &serverStamp)) {
    DebugLine(
        FormatText(L"dbg> error reading registry %s\\%s on %s", profileKeyPath.c_str(), kStampValue, server.c_str()));
    return false;
  }
  profileKey.reset();
  remoteRoot.reset();

  unique_hkey localKey;
  DWORD localStamp = 0;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, monitor.configKeyPath.c_str(), 0, KEY_READ, localKey.put()) !=
          ERROR_SUCCESS ||
      !ReadStamp(localKey.get(), &localStamp))
    return false;

  return serverStamp != localStamp;
}

}  // namespace lullan::profmon
