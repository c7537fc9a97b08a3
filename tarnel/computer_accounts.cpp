#include "computer_accounts.h"

#include "handles.h"
#include "platform.h"

namespace lullan::tarnel {

namespace {

constexpr DWORD kMachineAccounts = 2;  // the level: NET_DISPLAY_MACHINE
constexpr DWORD kAccountsPerPage = 100;

}  // namespace

NET_API_STATUS ListComputerAccounts(const std::wstring& domainController, std::vector<std::wstring>& computers) {
  computers.clear();
  DWORD index = 0;
  for (;;) {
    DWORD returned = 0;
    void* buffer = nullptr;
    NET_API_STATUS status = platform().domain->QueryDisplayInformation(
        domainController.c_str(), kMachineAccounts, index, kAccountsPerPage, MAX_PREFERRED_LENGTH, &returned, &buffer);
    unique_netapi_buffer page(buffer);
    if (status != NERR_Success && status != ERROR_MORE_DATA) {
      computers.clear();
      return status;
    }
    const auto* accounts = as<const NET_DISPLAY_MACHINE>(page);
    if (!accounts) returned = 0;
    for (DWORD i = 0; i < returned; ++i) {
      const NET_DISPLAY_MACHINE& account = accounts[i];
      if (!account.usri2_name || (account.usri2_flags & UF_INTERDOMAIN_TRUST_ACCOUNT)) continue;
      std::wstring name = account.usri2_name;
      if (!name.empty() && name.back() == L'$') name.pop_back();
      computers.push_back(std::move(name));
    }
    if (status == NERR_Success) return NERR_Success;
    // More, says the controller, yet it handed nothing to go on from.
    if (returned == 0) {
      computers.clear();
      return ERROR_MORE_DATA;
    }
    index = accounts[returned - 1].usri2_next_index;
  }
}

}  // namespace lullan::tarnel
