#include "domain_checks.h"

#include <lm.h>

#include <vector>

#include "handles.h"
#include "message_box.h"
#include "platform.h"
#include "setup_app.h"
#include "text_format.h"

namespace lullan::setup {

bool FindDomainController(CSetupApp& app, HWND owner) {
  LPBYTE buffer = nullptr;
  NET_API_STATUS status = platform().domain->GetAnyDCName(nullptr, nullptr, &buffer);
  unique_netapi_buffer name(buffer);
  if (status == NERR_Success && name) {
    app.domainController = as<const wchar_t>(name);
    return true;
  }
  if (status == NERR_DCNotFound) {
    ui::ShowMessage(owner, L"Domain controller not found");
  } else {
    ui::ShowMessage(owner, FormatText(L"Error %d trying to get domain controller.\r\nIs the network functioning?",
                                      static_cast<int>(status)));
  }
  return false;
}

bool IsUserAdmin(CSetupApp& app, HWND owner, const std::wstring& user) {
  FindDomainController(app, owner);
  const wchar_t* server = app.domainController.empty() ? nullptr : app.domainController.c_str();
  LPBYTE buffer = nullptr;
  NET_API_STATUS status = platform().domain->UserGetInfo(server, user.c_str(), 11, &buffer);
  unique_netapi_buffer info(buffer);
  if (status != NERR_Success || !info) return IsTokenInGroup(L"Administrators");
  return as<const USER_INFO_11>(info)->usri11_priv == USER_PRIV_ADMIN;
}

bool IsTokenInGroup(const wchar_t* group) {
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;

  DWORD sidSize = 0;
  wchar_t domain[128];
  DWORD domainSize = ARRAYSIZE(domain);
  SID_NAME_USE use;
  if (::LookupAccountNameW(nullptr, group, nullptr, &sidSize, domain, &domainSize, &use) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return false;
  }
  std::vector<BYTE> sid(sidSize);
  domainSize = ARRAYSIZE(domain);
  if (!::LookupAccountNameW(nullptr, group, sid.data(), &sidSize, domain, &domainSize, &use)) return false;

  DWORD groupsSize = 0;
  if (::GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &groupsSize) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return false;
  }
  // DWORD elements keep the SID pointers inside the structure aligned.
  std::vector<DWORD> groupsBuffer((groupsSize + sizeof(DWORD) - 1) / sizeof(DWORD));
  if (!::GetTokenInformation(token.get(), TokenGroups, groupsBuffer.data(), groupsSize, &groupsSize)) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(groupsBuffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (::EqualSid(groups->Groups[i].Sid, sid.data())) return true;
  }
  return false;
}

}  // namespace lullan::setup
