// The service's stop sequence in process: a stop while the monitor thread is
// stuck in a call to the profile server, an abort, and a cycle that fails in
// an unexpected way. The service control manager sees the status reports.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "dialog_answerer.h"
#include "event_ids.h"
#include "handles.h"
#include "monitor_fixture.h"
#include "monitor_state.h"
#include "service_host.h"

namespace lullan::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A profile server whose connection blocks, as an unreachable one can for
// tens of seconds: each call waits 30 s, or until the test lets it go, and
// then fails.
class BlockingProfileServer final : public RemoteRegistry {
 public:
  LSTATUS ConnectRegistry(LPCWSTR, HKEY, PHKEY) override {
    ++calls;
    ::SetEvent(entered_.get());
    ::WaitForSingleObject(released_.get(), 30000);
    returned = true;
    return ERROR_BAD_NETPATH;
  }
  bool WaitUntilEntered() { return ::WaitForSingleObject(entered_.get(), 10000) == WAIT_OBJECT_0; }
  void Release() { ::SetEvent(released_.get()); }

  std::atomic<int> calls{0};
  std::atomic<bool> returned{false};

 private:
  unique_handle entered_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  unique_handle released_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// A failure no one planned for, such as an allocation that fails.
class ThrowingProfileServer final : public RemoteRegistry {
 public:
  LSTATUS ConnectRegistry(LPCWSTR, HKEY, PHKEY) override { throw std::bad_alloc(); }
};

// Keeps the insertion strings of each record, which RecordingEventLog leaves
// out, and passes the record on to it.
class EventStrings final : public EventLog {
 public:
  explicit EventStrings(EventLog& recorder) : recorder_(recorder) {}
  HANDLE RegisterSource(LPCWSTR server, LPCWSTR source) override { return recorder_.RegisterSource(server, source); }
  BOOL Report(HANDLE source, WORD type, WORD category, DWORD id, PSID user, WORD count, DWORD size, LPCWSTR* strings,
              LPVOID data) override {
    recorded.emplace_back(strings, strings + count);
    return recorder_.Report(source, type, category, id, user, count, size, strings, data);
  }
  BOOL DeregisterSource(HANDLE source) override { return recorder_.DeregisterSource(source); }

  std::vector<std::vector<std::wstring>> recorded;

 private:
  EventLog& recorder_;
};

std::string LastLine(const std::string& log) {
  if (log.size() < 2) return log;
  return log.substr(log.rfind('\n', log.size() - 2) + 1);
}

class ServiceStopTest : public MonitorTest {
 protected:
  ~ServiceStopTest() override {
    EXPECT_TRUE(profmon::WaitForMonitorThread(40000)) << "the monitor thread outlived the test";
  }

  // Runs the stop control as the service control manager sends it, and
  // returns how long it took and the largest wait hint STOP_PENDING gave.
  struct Stop {
    Clock::duration took;
    DWORD waitHint = 0;
  };
  Stop StopService() {
    Stop stop;
    std::atomic<bool> watching{true};
    std::thread watcher([&] {
      for (; watching; std::this_thread::sleep_for(1ms)) {
        SERVICE_STATUS status = profmon::CurrentServiceStatus();
        if (status.dwCurrentState == SERVICE_STOP_PENDING) stop.waitHint = std::max(stop.waitHint, status.dwWaitHint);
      }
    });
    auto started = Clock::now();
    profmon::MonitorControlHandler(SERVICE_CONTROL_STOP);
    stop.took = Clock::now() - started;
    watching = false;
    watcher.join();
    return stop;
  }
};

TEST_F(ServiceStopTest, AStopWhileAConnectionBlocksEndsWithinItsWaitHintAndTheCycleEndsQuietlyLater) {
  BlockingProfileServer blocking;
  ScopedPlatform scope;
  scope.Use(blocking);
  Assign(L"stdLogoff", L"PROFSRV", 1);
  profmon::ServiceInitialization();
  profmon::Monitor().bRefreshRemoteConfig = true;  // the stamps differed: every cycle copies
  ASSERT_TRUE(profmon::StartMonitorThread());
  ASSERT_TRUE(blocking.WaitUntilEntered());

  Stop stop = StopService();
  auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(stop.took).count();
  EXPECT_GT(stop.waitHint, 0u);
  EXPECT_LT(tookMs, static_cast<long long>(stop.waitHint)) << "the stop outlasted the wait hint it reported";
  EXPECT_FALSE(blocking.returned) << "the stop waited the connection out";
  EXPECT_EQ(profmon::CurrentServiceStatus().dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(profmon::CurrentServiceStatus().dwWin32ExitCode, 0u);

  // When the connection gives up, the cycle ends without a line in the closed
  // log, and the thread ends without another cycle.
  blocking.Release();
  EXPECT_TRUE(profmon::WaitForMonitorThread(10000)) << "the monitor thread goes on after the stop";
  EXPECT_EQ(blocking.calls, 1);
  EXPECT_EQ(LastLine(LogText()), "12/7/2026 9:05 Lullan Configuration Monitor stopped\r\n") << LogText();
}

TEST_F(ServiceStopTest, AnAbortReportsAServiceSpecificFailureAndAnErrorEventWithItsText) {
  EventStrings strings(events);
  ScopedPlatform scope;
  scope.Use(strings);
  SetLocal(L"LogDir", logFolder);
  Cycles(1);
  DialogAnswerer dialogs;
  dialogs.Answer(IDOK);
  profmon::StopAfterFailure(1, L"opening registry key SOFTWARE\\Fennick\\Lullan\\1.11");

  ASSERT_EQ(dialogs.seen().size(), 1u) << dialogs.Describe();
  EXPECT_EQ(dialogs.seen()[0].caption, L"LConfigMon");
  EXPECT_EQ(dialogs.seen()[0].Text(), L"opening registry key SOFTWARE\\Fennick\\Lullan\\1.11");
  SERVICE_STATUS status = profmon::CurrentServiceStatus();
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR))
      << "recovery actions must see a failure, not a clean stop";
  EXPECT_EQ(status.dwServiceSpecificExitCode, 1u);
  ASSERT_EQ(events.Ids(), (std::vector<DWORD>{kEventMonitorFailed, kEventMonitorStopping}));
  EXPECT_EQ(events.events[0].type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(strings.recorded[0], std::vector<std::wstring>{L"opening registry key SOFTWARE\\Fennick\\Lullan\\1.11"});
  EXPECT_TRUE(strings.recorded[1].empty());
  const std::string log = LogText();
  EXPECT_EQ(Count(log, " opening registry key SOFTWARE\\Fennick\\Lullan\\1.11\r\n"), 1) << log;
  EXPECT_EQ(LastLine(log), "12/7/2026 9:05 Lullan Configuration Monitor stopped\r\n") << log;
}

TEST_F(ServiceStopTest, AnExceptionInACycleEndsThatCycleNotTheMonitor) {
  ThrowingProfileServer throwing;
  ScopedPlatform scope;
  scope.Use(throwing);
  Assign(L"stdLogoff", L"PROFSRV", 1);
  profmon::Monitor().bRefreshRemoteConfig = true;
  EXPECT_NO_THROW(profmon::ServiceInitialization());  // the first cycle, on the service main thread
  ASSERT_TRUE(profmon::StartMonitorThread());
  for (auto end = Clock::now() + 10s; Clock::now() < end && Count(LogText(), "Error: monitoring cycle ended") < 2;)
    std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(profmon::WaitForMonitorThread(0)) << "the monitor thread ended";
  Stop stop = StopService();
  EXPECT_TRUE(profmon::WaitForMonitorThread(1000));
  EXPECT_LT(stop.took, 2s) << "a waiting monitor thread ends at once";
  const std::string log = LogText();
  EXPECT_EQ(Count(log, "Error: monitoring cycle ended early: std::bad_alloc\r\n"), 2) << log;
  EXPECT_EQ(LastLine(log), "12/7/2026 9:05 Lullan Configuration Monitor stopped\r\n") << log;
}

}  // namespace
}  // namespace lullan::test
