#include "profile_server.h"

#include "monitor_log.h"
#include "platform.h"
#include "text_format.h"

namespace lullan::profmon {

std::wstring ProfileServerUnc(const wchar_t* profileServer) {
  if (profileServer[0] == L'\\') return profileServer;
  return std::wstring(L"\\\\") + profileServer;
}

bool ConnectToProfileServer(const std::wstring& server, unique_hkey* root) {
  LSTATUS status = platform().remoteRegistry->ConnectRegistry(server.c_str(), HKEY_LOCAL_MACHINE, root->put());
  if (status == ERROR_SUCCESS) return true;
  DebugLine(FormatText(L"dbg> error %lu connecting to server %s", static_cast<unsigned long>(status), server.c_str()));
  return false;
}

}  // namespace lullan::profmon
