// The domain's computer accounts, as its domain controller lists them: where
// the console finds the domain's computers on a network without a browse
// list (no Computer Browser service, no SMB1: every Windows 10 from 1709 on).
#pragma once

#include <windows.h>
#include <lm.h>

#include <string>
#include <vector>

namespace lullan::tarnel {

// NetQueryDisplayInformation level 2 on `domainController`, page after page
// until the last: each workstation's and server's account name without its
// trailing "$", in the order listed. Trust accounts of other domains are
// left out. NERR_Success, or the error that ended the listing (`computers`
// is empty then).
NET_API_STATUS ListComputerAccounts(const std::wstring& domainController, std::vector<std::wstring>& computers);

}  // namespace lullan::tarnel
