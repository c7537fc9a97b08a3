// The stand-in idle-logoff service under Wine's service control manager:
// installed under a name of the test's own, started, keeping "sims$" and
// "PrevUser" up to date, stopped and removed.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "activity.h"
#include "handles.h"
#include "product.h"
#include "program_runner.h"  // TestProgramFolder
#include "registry_fixture.h"
#include "schema.h"
#include "text_format.h"

namespace lullan {
namespace {

using namespace std::chrono_literals;
using test::ReadDword;
using test::ReadString;

// The console shows the two values by the names the suite's schema gives them.
TEST(IdleServiceValues, AreNamedAsTheConsoleReadsThem) {
  EXPECT_STREQ(service::kSimsValue, config::kSims);
  EXPECT_STREQ(service::kPrevUserValue, config::kPrevUser);
}

DWORD State(SC_HANDLE service) {
  SERVICE_STATUS status{};
  return ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
  for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
    if (done()) return true;
    std::this_thread::sleep_for(100ms);
  }
  return done();
}

class IdleServiceTest : public ::testing::Test {
 protected:
  IdleServiceTest() : name_(FormatText(L"LullanStandIn%lu", ::GetCurrentProcessId())) {
    versionKeyExisted_ = test::KeyExists(HKEY_LOCAL_MACHINE, VersionKeyPath());
    test::WriteString(HKEY_LOCAL_MACHINE, VersionKeyPath(), config::kInstallDir, test::TestProgramFolder());
    manager_.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    std::wstring program = L"\"" + test::TestProgramFolder() + L"\\lullan.exe\"";
    service_.reset(::CreateServiceW(manager_.get(), name_.c_str(), name_.c_str(), SERVICE_ALL_ACCESS, 0x110,
                                    SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, program.c_str(), nullptr, nullptr,
                                    L"RpcSs\0", nullptr, nullptr));
  }
  ~IdleServiceTest() override {
    SERVICE_STATUS status{};
    if (service_ && State(service_.get()) == SERVICE_RUNNING) {
      ::ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
      WaitFor([this] { return State(service_.get()) == SERVICE_STOPPED; }, 10s);
    }
    if (service_) ::DeleteService(service_.get());
    if (versionKeyExisted_) {
      unique_hkey key;
      if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, VersionKeyPath().c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
        for (const wchar_t* value : {config::kSims, config::kPrevUser, config::kInstallDir}) {
          ::RegDeleteValueW(key.get(), value);
        }
      }
    } else {
      test::DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    }
  }

  std::wstring name_;
  bool versionKeyExisted_ = false;
  unique_schandle manager_;
  unique_schandle service_;
};

TEST_F(IdleServiceTest, RunsUnderTheManagerKeepsItsValuesAndStops) {
  ASSERT_TRUE(service_) << "CreateService failed with " << ::GetLastError();
  ASSERT_TRUE(::StartServiceW(service_.get(), 0, nullptr)) << "error " << ::GetLastError();
  ASSERT_TRUE(WaitFor([this] { return State(service_.get()) == SERVICE_RUNNING; }, 20s));

  ASSERT_TRUE(
      WaitFor([] { return ReadString(HKEY_LOCAL_MACHINE, VersionKeyPath(), config::kPrevUser).has_value(); }, 10s))
      << "PrevUser was not written";
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, VersionKeyPath(), config::kPrevUser), service::InteractiveUser());
  std::optional<DWORD> idle = ReadDword(HKEY_LOCAL_MACHINE, VersionKeyPath(), config::kSims);
  ASSERT_TRUE(idle.has_value());
  EXPECT_LE(*idle, service::IdleSeconds()) << "the seconds since the last input, as the service last saw them";

  SERVICE_STATUS status{};
  ASSERT_TRUE(::ControlService(service_.get(), SERVICE_CONTROL_STOP, &status)) << "error " << ::GetLastError();
  EXPECT_TRUE(WaitFor([this] { return State(service_.get()) == SERVICE_STOPPED; }, 10s));
}

}  // namespace
}  // namespace lullan
