// The scripted service managers: the console's start/stop and its scan
// workers trust them to fail as the real manager fails, to notice every
// handle, and to keep their books with several threads calling.
#include <gtest/gtest.h>

#include <thread>

#include "fake_platform.h"
#include "scripted_service_manager.h"

namespace lullan::test {
namespace {

using Operation = ScriptedServiceManager::Operation;

class ScriptedServiceManagerTest : public testing::Test {
 protected:
  ScriptedServiceManagerTest() { scope_.Use(services); }

  unique_remote_service Manager(const wchar_t* machine, DWORD access = SC_MANAGER_ALL_ACCESS) {
    return unique_remote_service(platform().remoteServices->OpenManager(machine, access));
  }
  unique_remote_service Service(const unique_remote_service& manager, const wchar_t* name,
                                DWORD access = SERVICE_ALL_ACCESS) {
    return unique_remote_service(platform().remoteServices->OpenNamedService(manager.get(), name, access));
  }
  DWORD StateOf(const unique_remote_service& service) {
    SERVICE_STATUS status{};
    EXPECT_TRUE(platform().remoteServices->QueryStatus(service.get(), &status)) << ::GetLastError();
    return status.dwCurrentState;
  }
  // The last error a failing call left, or 0 when it succeeded.
  template <typename Call>
  DWORD ErrorOf(Call call) {
    ::SetLastError(0);
    return call() ? 0 : ::GetLastError();
  }

  ScriptedServiceManager services;

 private:
  ScopedPlatform scope_;
};

TEST_F(ScriptedServiceManagerTest, FailsAsTheRealManagerFailsAndSetsTheLastError) {
  services.On(L"PC-017").Service(L"Lullan", SERVICE_RUNNING).Service(L"lConfigMon", SERVICE_STOPPED);
  services.On(L"PC-018").Unreachable();
  services.On(L"PC-019").OpenManagerFails(ERROR_ACCESS_DENIED);
  services.On(L"PC-020").Service(L"Lullan", SERVICE_STOPPED).StartNeverEnds(L"Lullan");
  RemoteServiceManager& scm = *platform().remoteServices;

  EXPECT_EQ(ErrorOf([&] { return Manager(L"PC-099").get(); }), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(ErrorOf([&] { return Manager(L"PC-018").get(); }), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(ErrorOf([&] { return Manager(L"PC-019").get(); }), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  {
    unique_remote_service manager = Manager(L"\\\\pc-017", GENERIC_READ);
    ASSERT_TRUE(manager);
    EXPECT_EQ(ErrorOf([&] { return Service(manager, L"Nosuch").get(); }),
              static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    unique_remote_service reader = Service(manager, L"LULLAN", GENERIC_READ);
    EXPECT_EQ(StateOf(reader), static_cast<DWORD>(SERVICE_RUNNING));
    SERVICE_STATUS status{};
    EXPECT_EQ(ErrorOf([&] { return scm.Control(reader.get(), SERVICE_CONTROL_STOP, &status); }),
              static_cast<DWORD>(ERROR_ACCESS_DENIED))
        << "GENERIC_READ gives no right to stop";

    unique_remote_service lullan = Service(manager, L"Lullan");
    EXPECT_EQ(ErrorOf([&] { return scm.Start(lullan.get()); }), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    EXPECT_EQ(ErrorOf([&] { return scm.Control(lullan.get(), SERVICE_CONTROL_STOP, &status); }), 0u);
    EXPECT_EQ(StateOf(lullan), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(ErrorOf([&] { return scm.Control(lullan.get(), SERVICE_CONTROL_STOP, &status); }),
              static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    services.On(L"PC-017").StartFails(L"Lullan", ERROR_SERVICE_DISABLED);
    EXPECT_EQ(ErrorOf([&] { return scm.Start(lullan.get()); }), static_cast<DWORD>(ERROR_SERVICE_DISABLED));
    services.On(L"PC-017")
        .StartFails(L"Lullan", ERROR_SUCCESS)
        .ControlFails(L"Lullan", ERROR_DEPENDENT_SERVICES_RUNNING);
    EXPECT_EQ(ErrorOf([&] { return scm.Start(lullan.get()); }), 0u);
    EXPECT_EQ(ErrorOf([&] { return scm.Control(lullan.get(), SERVICE_CONTROL_STOP, &status); }),
              static_cast<DWORD>(ERROR_DEPENDENT_SERVICES_RUNNING));
    EXPECT_EQ(services.State(L"PC-017", L"lullan"), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(services.OpenHandles(), 3);
  }

  unique_remote_service manager = Manager(L"PC-020");
  unique_remote_service never = Service(manager, L"Lullan");
  EXPECT_EQ(ErrorOf([&] { return scm.Start(never.get()); }), 0u);
  SERVICE_STATUS status{};
  EXPECT_EQ(ErrorOf([&] { return scm.Control(never.get(), SERVICE_CONTROL_STOP, &status); }),
            static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL));
  EXPECT_EQ(StateOf(never), static_cast<DWORD>(SERVICE_START_PENDING)) << "a start that never ends stays pending";

  const auto calls = services.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].operation, Operation::OpenManager);
  EXPECT_EQ(calls[0].machine, L"PC-099");
  EXPECT_EQ(calls[0].error, static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(calls.back().machine, L"PC-020");
  EXPECT_EQ(calls.back().service, L"Lullan");
  EXPECT_EQ(services.Faults(), 0);
}

TEST_F(ScriptedServiceManagerTest, CountsHandlesClosedTwiceOrUsedAfterClosing) {
  services.On(L"PC-017").Service(L"Lullan", SERVICE_RUNNING);
  RemoteServiceManager& scm = *platform().remoteServices;
  unique_remote_service manager = Manager(L"PC-017");
  SC_HANDLE first = scm.OpenNamedService(manager.get(), L"Lullan", GENERIC_READ);
  SC_HANDLE second = scm.OpenNamedService(manager.get(), L"Lullan", GENERIC_READ);
  EXPECT_NE(first, second);
  EXPECT_NE(first, manager.get());
  EXPECT_EQ(services.OpenHandles(), 3);

  EXPECT_TRUE(scm.CloseHandle(first));
  EXPECT_EQ(ErrorOf([&] { return scm.CloseHandle(first); }), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SERVICE_STATUS status{};
  EXPECT_EQ(ErrorOf([&] { return scm.QueryStatus(first, &status); }), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(ErrorOf([&] { return scm.QueryStatus(manager.get(), &status); }), static_cast<DWORD>(ERROR_INVALID_HANDLE))
      << "a manager is no service";
  EXPECT_EQ(services.Faults(), 3);
  EXPECT_TRUE(scm.CloseHandle(second));
  manager.reset();
  EXPECT_EQ(services.OpenHandles(), 0);
}

TEST_F(ScriptedServiceManagerTest, KeepsItsBooksWithManyThreadsCallingAtOnce) {
  const wchar_t* machines[] = {L"PC-001", L"PC-002", L"PC-003", L"PC-004"};
  for (const wchar_t* machine : machines) services.On(machine).Service(L"Lullan", SERVICE_STOPPED);
  services.DelayEachCall(1);
  constexpr int kThreads = 8;
  constexpr int kRounds = 40;
  std::atomic<int> starts[4] = {}, stops[4] = {};

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        const int m = (t + round) % 4;
        unique_remote_service manager(platform().remoteServices->OpenManager(machines[m], SC_MANAGER_ALL_ACCESS));
        unique_remote_service lullan(
            platform().remoteServices->OpenNamedService(manager.get(), L"Lullan", SERVICE_ALL_ACCESS));
        if (platform().remoteServices->Start(lullan.get())) ++starts[m];
        SERVICE_STATUS status;
        if (platform().remoteServices->Control(lullan.get(), SERVICE_CONTROL_STOP, &status)) ++stops[m];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(services.OpenHandles(), 0);
  EXPECT_EQ(services.Faults(), 0);
  EXPECT_EQ(services.Calls().size(), static_cast<size_t>(kThreads * kRounds * 6));
  for (int m = 0; m < 4; ++m) {
    const int running = services.State(machines[m], L"Lullan") == SERVICE_RUNNING ? 1 : 0;
    EXPECT_EQ(starts[m] - stops[m], running) << "every start and stop of " << m << " took effect exactly once";
  }
  EXPECT_GT(services.MostCallsAtOnce(), 1) << "the delays of different threads overlap";
}

}  // namespace
}  // namespace lullan::test
