// The Start/Stop button on an installed machine: the start and its wait, the
// configuration monitor that follows a shared profile, and the stop.
#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "resource.h"
#include "setup_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using Operation = ScriptedServiceManager::Operation;

class ServiceControlTest : public SetupTest {
 protected:
  ServiceControlTest() { WriteString(HKEY_LOCAL_MACHINE, versionKey, L"InstallDir", installDir); }

  // Presses Start/Stop once, expecting the caption before and after.
  std::vector<std::wstring> Press(const wchar_t* before, const wchar_t* after) {
    ModalSession admin;
    admin.Look([&](const Controls& dialog) { EXPECT_EQ(dialog.Label(IDC_START_STOP), before); })
        .Click(IDC_START_STOP)
        .Look([&](const Controls& dialog) { EXPECT_EQ(dialog.Label(IDC_START_STOP), after); })
        .Click(IDCANCEL);
    for (size_t i = 0; i < expectedBoxes; ++i) admin.Answer(IDOK);
    RunSetup(admin);
    return Texts(admin.boxes());
  }

  // The calls made for `service` from its start request on (or all of them).
  std::vector<Operation> CallsFor(const std::wstring& service, bool fromStart = false) const {
    std::vector<Operation> operations;
    bool started = !fromStart;
    for (const ScriptedServiceManager::Call& call : services.Calls()) {
      if (call.service != service) continue;
      if (call.operation == Operation::Start) started = true;
      if (started) operations.push_back(call.operation);
    }
    return operations;
  }
  size_t Count(const std::vector<Operation>& operations, Operation which) const {
    return static_cast<size_t>(std::count(operations.begin(), operations.end(), which));
  }

  size_t expectedBoxes = 1;
};

TEST_F(ServiceControlTest, AStartThatNeverEndsIsGivenUpAfterSixQueries) {
  services.On(L"").Service(site.serviceName, SERVICE_STOPPED).StartNeverEnds(site.serviceName);
  DWORD began = ::GetTickCount();
  EXPECT_EQ(Press(L"Start Lullan", L"Start Lullan"), std::vector<std::wstring>{L"Failed to start Lullan service."});
  DWORD waited = ::GetTickCount() - began;
  EXPECT_EQ(Count(CallsFor(site.serviceName, true), Operation::QueryStatus), 6u);
  EXPECT_GE(waited, 5500u) << "a query a second, five waits between six queries";
  EXPECT_LT(waited, 9000u);
  EXPECT_TRUE(CallsFor(site.monitorServiceName).empty()) << "no profile: the monitor is none of its business";
}

TEST_F(ServiceControlTest, WithASharedProfileTheMonitorStartsAfterTheServiceAndStopsBeforeIt) {
  // Longer than 31 characters, which a 64-byte read would have refused.
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"Profile", L"Accounts department, second floor, night shift");
  services.On(L"").Service(site.serviceName, SERVICE_STOPPED).Service(site.monitorServiceName, SERVICE_STOPPED);
  EXPECT_EQ(Press(L"Start Lullan", L"Stop Lullan"), std::vector<std::wstring>{L"Lullan service successfully started."});
  EXPECT_EQ(services.State(L"", site.monitorServiceName), DWORD{SERVICE_RUNNING});

  EXPECT_EQ(Press(L"Stop Lullan", L"Start Lullan"), std::vector<std::wstring>{L"Lullan service stopped"});
  std::vector<std::wstring> stopped;
  for (const ScriptedServiceManager::Call& call : services.Calls()) {
    if (call.operation == Operation::Control && call.error == ERROR_SUCCESS) stopped.push_back(call.service);
  }
  EXPECT_EQ(stopped, (std::vector<std::wstring>{site.monitorServiceName, site.serviceName}));
  EXPECT_EQ(services.State(L"", site.serviceName), DWORD{SERVICE_STOPPED});
  EXPECT_EQ(services.OpenHandles(), 0);
}

TEST_F(ServiceControlTest, AProfileWithoutAMonitorIsReportedAndTheServiceKeepsRunning) {
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"Profile", L"stdLogoff");
  services.On(L"").Service(site.serviceName, SERVICE_STOPPED);
  expectedBoxes = 3;
  EXPECT_EQ(Press(L"Start Lullan", L"Stop Lullan"),
            (std::vector<std::wstring>{L"Lullan service successfully started.",
                                       L"Lullan Configuration Monitor service not installed",
                                       L"Failed to start Lullan service."}));
  EXPECT_EQ(services.State(L"", site.serviceName), DWORD{SERVICE_RUNNING});
}

TEST_F(ServiceControlTest, FailuresToOpenAreWordedAndTheCallThatFollowsSaysItFailedToo) {
  services.On(L"").Service(site.serviceName, SERVICE_STOPPED).OpenFails(site.serviceName, ERROR_ACCESS_DENIED);
  expectedBoxes = 3;
  const std::wstring denied = L"Access denied; make sure account has administrator privileges.";
  EXPECT_EQ(Press(L"Start Lullan", L"Start Lullan"),
            (std::vector<std::wstring>{denied /* asking for the state as the dialog opens */, denied,
                                       L"Failed to start Lullan service."}));
  EXPECT_EQ(services.Faults(), 0) << "no call is made with a handle that was never opened";
}

}  // namespace
}  // namespace lullan::test
