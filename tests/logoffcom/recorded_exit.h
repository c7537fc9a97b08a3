// The test builds of quitcom and quitsrv record the session ends they are
// asked for in the registry, where a test in another process reads them:
// HKCU\Software\LullanTests\RecordedExit holds "Flags" (REG_BINARY, one DWORD
// per ExitWindowsEx call) and "PrivilegeRequests" (REG_DWORD). A test may
// store "ExitResult" = 0 there to make ExitWindowsEx fail.
#pragma once

#include <windows.h>

#include <vector>

#include "platform.h"

namespace lullan::test {

class RegistrySystemExit final : public SystemExit {
 public:
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;
  bool EnableShutdownPrivilege() override;
};

// Installs a RegistrySystemExit for the rest of the process (the test builds' entry points).
void InstallRegistrySystemExit();

// The reading side, for the tests.
void ClearRecordedExits();
std::vector<DWORD> RecordedExitFlags();
DWORD RecordedPrivilegeRequests();
void ScriptExitResult(BOOL result);

}  // namespace lullan::test
