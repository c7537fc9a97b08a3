// profmon.exe as an administrator meets it: installed by hand, started and
// stopped through the service control manager, following a shared profile
// that this very machine serves under its own computer name, and removed.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "handles.h"
#include "installed_service.h"
#include "product.h"
#include "program_runner.h"
#include "registry_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::wstring kServiceKey = L"SYSTEM\\CurrentControlSet\\Services\\LConfigMon";

std::wstring ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = ARRAYSIZE(name);
  ::GetComputerNameW(name, &length);
  return name;
}

const InstalledService kMonitor{kMonitorServiceName};

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

class MonitorServiceTest : public ::testing::Test {
 protected:
  MonitorServiceTest() {
    RunProgram(L"profmon.exe", L"-remove");
    EXPECT_TRUE(kMonitor.WaitUntilGone(30s)) << "a monitor service from an earlier test is still registered";
    DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    logFolder = FormatText(L"%slullan-service-%lu", temp, ::GetCurrentProcessId());
    ::CreateDirectoryW(logFolder.c_str(), nullptr);
    ::DeleteFileW(LogFile().c_str());
  }
  ~MonitorServiceTest() override {
    RunProgram(L"profmon.exe", L"-remove");
    kMonitor.WaitUntilGone(30s);
    DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    ::DeleteFileW(LogFile().c_str());
    ::RemoveDirectoryW(logFolder.c_str());
  }
  std::wstring LogFile() const { return logFolder + L"\\LConfigMon.log"; }
  std::string LogText() const {
    unique_file file(::CreateFileW(LogFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
  }

  std::wstring logFolder;
};

TEST_F(MonitorServiceTest, InstalledStartedFollowsTheProfileStoppedAndRemoved) {
  const std::wstring versionKey = VersionKeyPath();
  const std::wstring profileKey = ProfileKeyPath(L"stdLogoff");
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"LogDir", logFolder);
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"Profile", L"stdLogoff");
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"PLS", ComputerName());
  WriteDword(HKEY_LOCAL_MACHINE, versionKey, L"ProfileLastChanged", 0x00090000);
  WriteDword(HKEY_LOCAL_MACHINE, profileKey, L"ProfileLastChanged", 0x000E0005);
  WriteDword(HKEY_LOCAL_MACHINE, profileKey, L"IdleMinutes", 45);
  WriteDword(HKEY_LOCAL_MACHINE, profileKey + L"\\Groups", L"mDomain Users", 30);

  ProgramRun install = RunProgram(L"profmon.exe", L"-install");
  EXPECT_EQ(install.output,
            "dbg: in wmain\n"
            "dbg: run service as user LocalSystem\n"
            "Lullan Configuration Monitor installed.\n");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kServiceKey, L"Type"), DWORD{SERVICE_WIN32_OWN_PROCESS});
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kServiceKey, L"Start"), DWORD{SERVICE_DEMAND_START});
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kServiceKey, L"DependOnService"), L"RPCSS");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kServiceKey, L"ObjectName"), L"LocalSystem");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kServiceKey, L"ImagePath"), TestProgramFolder() + L"\\profmon.exe");

  auto started = Clock::now();
  ASSERT_TRUE(kMonitor.Start()) << "StartService failed: " << ::GetLastError();
  ASSERT_TRUE(kMonitor.WaitForState(SERVICE_RUNNING, 30s)) << "state " << kMonitor.State();

  // The stamps are first compared in the fourth cycle, two minutes after start.
  std::optional<DWORD> idle;
  while (Clock::now() - started < 200s) {
    idle = ReadDword(HKEY_LOCAL_MACHINE, versionKey, L"IdleMinutes");
    if (idle) break;
    std::this_thread::sleep_for(1s);
  }
  auto followedAfter = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count();
  ASSERT_EQ(idle, 45u) << LogText();
  EXPECT_GE(followedAfter, 100) << "copied before the fourth cycle";
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, versionKey + L"\\Groups", L"mDomain Users"), 30u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, versionKey, L"ProfileLastChanged"), 0x000E0005u);

  ASSERT_TRUE(kMonitor.Stop()) << "ControlService failed: " << ::GetLastError();
  ASSERT_TRUE(kMonitor.WaitForState(SERVICE_STOPPED, 30s)) << "state " << kMonitor.State();
  std::string log = LogText();
  EXPECT_NE(log.find("GetRegParams: opened log file"), std::string::npos) << log;
  EXPECT_NE(log.find("dbg> bRefreshRemoteConfig = true"), std::string::npos) << log;
  ASSERT_GT(log.size(), 2u);
  std::string lastLine = log.substr(log.rfind('\n', log.size() - 2) + 1);
  EXPECT_NE(lastLine.find(" Lullan Configuration Monitor stopped\r\n"), std::string::npos) << log;

  ProgramRun remove = RunProgram(L"profmon.exe", L"-remove");
  EXPECT_EQ(remove.output, "dbg: in wmain\nLullan Configuration Monitor removed.\n");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServiceKey));
}

TEST_F(MonitorServiceTest, RemovingARunningServiceStopsItFirst) {
  WriteString(HKEY_LOCAL_MACHINE, VersionKeyPath(), L"LogDir", logFolder);
  ASSERT_EQ(RunProgram(L"profmon.exe", L"-install").output,
            "dbg: in wmain\n"
            "dbg: run service as user LocalSystem\n"
            "Lullan Configuration Monitor installed.\n");
  ASSERT_TRUE(kMonitor.Start()) << "StartService failed: " << ::GetLastError();
  ASSERT_TRUE(kMonitor.WaitForState(SERVICE_RUNNING, 30s)) << "state " << kMonitor.State();
  // The first cycle runs while starting, the second on the monitor thread.
  for (auto end = Clock::now() + 30s; Clock::now() < end && CountOf(LogText(), "leaving GetRegParams") < 2;) {
    std::this_thread::sleep_for(200ms);
  }
  ASSERT_EQ(CountOf(LogText(), "leaving GetRegParams"), 2u) << LogText();

  DWORD stateBeforeRemove = kMonitor.State();
  ProgramRun remove = RunProgram(L"profmon.exe", L"/REMOVE");
  EXPECT_EQ(remove.output,
            "dbg: in wmain\n"
            "Stopping Lullan Configuration Monitor.\n"
            "Lullan Configuration Monitor stopped.\n"
            "Lullan Configuration Monitor removed.\n")
      << "state before removing: " << stateBeforeRemove << "\nlog:\n"
      << LogText();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServiceKey));
}

// "LogDir" normally comes with the shared profile, copied only from the fourth
// cycle: a folder that cannot take the log must leave the service running, or
// that profile could never put it right.
TEST_F(MonitorServiceTest, ALogDirThatCannotTakeTheLogLeavesTheServiceRunningWithItsLogInInstallDir) {
  const std::wstring versionKey = VersionKeyPath();
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"InstallDir", logFolder);
  ASSERT_EQ(RunProgram(L"profmon.exe", L"-install").output,
            "dbg: in wmain\n"
            "dbg: run service as user LocalSystem\n"
            "Lullan Configuration Monitor installed.\n");
  // Whoever created this pipe first would be sent the log, and could act as
  // LocalSystem on Windows.
  unique_file pipe(::CreateNamedPipeW(L"\\\\.\\pipe\\LConfigMon.log", PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                      1, 0, 64 * 1024, 0, nullptr));
  ASSERT_TRUE(pipe) << "error " << ::GetLastError();

  for (const std::wstring& logDir : {logFolder + L"\\missing\\folder", std::wstring(L"\\\\.\\pipe")}) {
    SCOPED_TRACE(Narrow(logDir));
    WriteString(HKEY_LOCAL_MACHINE, versionKey, L"LogDir", logDir);
    ::DeleteFileW(LogFile().c_str());
    ASSERT_TRUE(kMonitor.Start()) << "StartService failed: " << ::GetLastError();
    ASSERT_TRUE(kMonitor.WaitForState(SERVICE_RUNNING, 30s)) << "state " << kMonitor.State() << "\nlog:\n" << LogText();
    unique_handle process = kMonitor.Process();
    ASSERT_TRUE(process) << "error " << ::GetLastError();
    // The second cycle, on the monitor thread, has run too.
    for (auto end = Clock::now() + 30s; Clock::now() < end && CountOf(LogText(), "leaving GetRegParams") < 2;)
      std::this_thread::sleep_for(200ms);
    EXPECT_EQ(CountOf(LogText(), "leaving GetRegParams"), 2u) << LogText();
    EXPECT_EQ(kMonitor.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(CountOf(LogText(), "Error: can't open log file in \"" + Narrow(logDir) + "\": "), 1u) << LogText();
    EXPECT_EQ(CountOf(LogText(), "; logging to \"" + Narrow(logFolder) + "\" instead\r\n"), 1u) << LogText();

    ASSERT_TRUE(kMonitor.Stop()) << "ControlService failed: " << ::GetLastError() << "\nlog:\n" << LogText();
    ASSERT_TRUE(kMonitor.WaitForState(SERVICE_STOPPED, 30s)) << "state " << kMonitor.State();
    // The next start needs a process of its own.
    EXPECT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0) << "the service's process did not end";
  }
  DWORD inPipe = 0;
  ::PeekNamedPipe(pipe.get(), nullptr, 0, nullptr, &inPipe, nullptr);
  EXPECT_EQ(inPipe, 0u) << "log lines went into the pipe";
}

TEST_F(MonitorServiceTest, AnAccountOnTheCommandLineRunsTheService) {
  ProgramRun install = RunProgram(L"profmon.exe", L"-install .\\lullansvc secret");
  EXPECT_EQ(install.output,
            "dbg: in wmain\n"
            "dbg: run service as user .\\lullansvc\n"
            "Lullan Configuration Monitor installed.\n");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kServiceKey, L"ObjectName"), L".\\lullansvc");
}

TEST_F(MonitorServiceTest, RemovingWhatIsNotInstalledSaysWhy) {
  ProgramRun remove = RunProgram(L"profmon.exe", L"-remove");
  EXPECT_EQ(remove.output.rfind("dbg: in wmain\nOpenService failed - ", 0), 0u) << remove.output;
  EXPECT_NE(remove.output.find("(0x424)\n"), std::string::npos) << remove.output;
  EXPECT_EQ(remove.exitCode, 0u);
}

}  // namespace
}  // namespace lullan::test
