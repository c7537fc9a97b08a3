// A domain of thousands of computers: the scan's threads stay within bounds
// and give everything back, the rows go in a batch at a time, the status bar
// keeps its pace, and the console setting ProbeThreads reads registries side
// by side.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "console_fixture.h"
#include "process_usage.h"
#include "text_format.h"

namespace lullan::test {
namespace {

// Raises `most` to `value` when that is more, whatever other threads do meanwhile.
template <typename T>
void KeepMost(std::atomic<T>& most, T value) {
  for (T seen = most; value > seen && !most.compare_exchange_weak(seen, value);) {
  }
}

// The most calls inside a seam at one moment.
class MostAtOnce {
 public:
  class Inside {
   public:
    explicit Inside(MostAtOnce& count) : count_(count) { KeepMost(count_.most_, ++count_.inside_); }
    ~Inside() { --count_.inside_; }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

   private:
    MostAtOnce& count_;
  };
  int most() const { return most_; }

 private:
  std::atomic<int> inside_{0};
  std::atomic<int> most_{0};
};

class LargeDomainTest : public ConsoleTest {
 protected:
  // The console setting, as an administrator sets it, read at start-up.
  void StartConsole(std::initializer_list<std::pair<const wchar_t*, DWORD>> settings) {
    WriteDword(HKEY_LOCAL_MACHINE, consoleKey, L"Purge", 0);
    for (const auto& [name, value] : settings) WriteDword(HKEY_LOCAL_MACHINE, consoleKey, name, value);
    app.InitInstance();
  }
};

// The service managers as the scan's workers reach them, noting the most
// stack any calling thread has reserved.
class StackWatchingServices final : public RemoteServiceManager {
 public:
  explicit StackWatchingServices(RemoteServiceManager& services) : services_(services) {}
  SC_HANDLE OpenManager(LPCWSTR machine, DWORD access) override {
    KeepMost(mostStack, ThreadStackReservation());
    return services_.OpenManager(machine, access);
  }
  SC_HANDLE OpenNamedService(SC_HANDLE manager, LPCWSTR name, DWORD access) override {
    return services_.OpenNamedService(manager, name, access);
  }
  BOOL QueryStatus(SC_HANDLE service, SERVICE_STATUS* status) override {
    return services_.QueryStatus(service, status);
  }
  BOOL Start(SC_HANDLE service) override { return services_.Start(service); }
  BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override {
    return services_.Control(service, control, status);
  }
  BOOL CloseHandle(SC_HANDLE handle) override { return services_.CloseHandle(handle); }

  std::atomic<size_t> mostStack{0};

 private:
  RemoteServiceManager& services_;
};

TEST_F(LargeDomainTest, IsScannedByAtMost256WorkersOnSmallStacksThatGiveEverythingBack) {
  // 1,100 computers that do not answer, each for a while: one worker per
  // four of them would be 275 threads, each reserving the default stack.
  constexpr int kComputers = 1100;
  for (int i = 1; i <= kComputers; ++i) Listed(FormatText(L"PC-%04d", i));
  services.DelayEachCall(250);
  StackWatchingServices watched(services);
  ScopedPlatform watching;
  watching.Use(watched);
  const ProcessUsage before = ProcessUsage::Now();
  ConsoleSession admin;
  admin.WaitForScan().Exit();
  RunConsole(admin);
  const ProcessUsage after = ProcessUsage::Now();

  EXPECT_LE(services.MostCallsAtOnce(), 256) << "at most 256 workers run at once";
  EXPECT_GE(services.MostCallsAtOnce(), 128) << "the workers ask side by side";
  EXPECT_EQ(ManagersOpened().size(), static_cast<size_t>(kComputers)) << "every computer is asked once";
  // 64 KiB on Windows; Wine gives no thread less than 1 MiB.
  EXPECT_LT(watched.mostStack.load(), DefaultStackReservation())
      << "a worker's stack: " << (watched.mostStack.load() >> 10) << " KiB";
  // A stack kept is a megabyte or more each (256 of them); Wine keeps a few
  // small blocks of every thread it has run for the next ones.
  EXPECT_LT(after.reservedBytes, before.reservedBytes + (64u << 20))
      << "the workers' stacks are given back: " << ((after.reservedBytes - before.reservedBytes) >> 20) << " MiB kept";
  EXPECT_LE(after.handles, before.handles + 8) << "the workers' handles are closed";
}

TEST_F(LargeDomainTest, FiveThousandComputersAreListedABatchAtATimeAndEveryOneIsScanned) {
  constexpr int kComputers = 5000;
  for (int i = 1; i <= kComputers; ++i) Listed(FormatText(L"PC-%04d", i));
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        std::vector<std::wstring> names = Names(panel);
        ASSERT_EQ(names.size(), static_cast<size_t>(kComputers));
        EXPECT_EQ(names.back(), FormatText(L"PC-%04d", kComputers)) << "the last batch too, in order";
        EXPECT_EQ(StatusText(panel), FormatText(L"0 of %d computers running Lullan service", kComputers));
      })
      .Exit();
  RunConsole(admin);
  std::vector<std::wstring> asked = ManagersOpened();
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked.size(), static_cast<size_t>(kComputers));
  EXPECT_EQ(std::unique(asked.begin(), asked.end()), asked.end()) << "every computer is asked once";
}

TEST_F(LargeDomainTest, TheScansCountIsShownAtMostTenTimesASecond) {
  constexpr int kComputers = 400;
  for (int i = 1; i <= kComputers; ++i) Workstation(FormatText(L"PC-%03d", i));
  const DWORD started = ::GetTickCount();
  ConsoleSession admin;
  admin.WaitForScan().Exit();
  RunConsole(admin);
  const DWORD elapsed = ::GetTickCount() - started;

  std::vector<int> counts;
  for (const std::wstring& text : admin.statusTexts()) {
    const std::wstring prefix = L"Lullan found on ";
    if (text.find(prefix) == 0)
      counts.push_back(static_cast<int>(std::wcstol(text.c_str() + prefix.size(), nullptr, 10)));
  }
  ASSERT_FALSE(counts.empty());
  EXPECT_LE(counts.size(), elapsed / 100 + 2) << "counts shown in " << elapsed << " ms";
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()) &&
              std::adjacent_find(counts.begin(), counts.end()) == counts.end())
      << "the count only goes up";
  const std::vector<std::wstring>& status = admin.statusTexts();
  ASSERT_GE(status.size(), 2u);
  EXPECT_EQ(status[status.size() - 2], L"Ready") << "every computer answered";
  EXPECT_EQ(status.back(), FormatText(L"%d of %d computers running Lullan service", kComputers, kComputers));
}

TEST_F(LargeDomainTest, ProbeThreadsLetsThatManyRegistriesBeReadAtOnce) {
  // The registries as the probes reach them, each connection taking a while.
  class WatchedRegistry final : public RemoteRegistry {
   public:
    explicit WatchedRegistry(RemoteRegistry& registry) : registry_(registry) {}
    LSTATUS ConnectRegistry(LPCWSTR machine, HKEY hive, PHKEY key) override {
      MostAtOnce::Inside inside(connections);
      return registry_.ConnectRegistry(machine, hive, key);
    }
    MostAtOnce connections;

   private:
    RemoteRegistry& registry_;
  };
  for (int i = 1; i <= 16; ++i) Workstation(FormatText(L"PC-%02d", i));  // four workers
  registry.DelayEachCall(100);
  struct Case {
    const char* what;
    bool set;
    DWORD probeThreads;
    int most;
  };
  for (const Case& c : {Case{"no setting: one probe at a time", false, 0, 1}, Case{"0: the same", true, 0, 1},
                        Case{"3 probes at once", true, 3, 3}}) {
    SCOPED_TRACE(c.what);
    DeleteTree(HKEY_LOCAL_MACHINE, consoleKey);
    if (c.set) {
      StartConsole({{L"ProbeThreads", c.probeThreads}});
    } else {
      StartConsole({});
    }
    WatchedRegistry watched(registry);
    ScopedPlatform watching;
    watching.Use(watched);
    ConsoleSession admin;
    admin.WaitForScan().Exit();
    RunConsole(admin);
    EXPECT_LE(watched.connections.most(), c.most);
    EXPECT_GE(watched.connections.most(), std::min(c.most, 2)) << "four workers want to probe side by side";
  }
}

}  // namespace
}  // namespace lullan::test
