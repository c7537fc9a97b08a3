// lullan.exe as an administrator meets it: installed as a service of Wine's
// service control manager, started, watching the session through its agent,
// logging the idle user off in a dry run, following a change of its
// configuration, starting a killed agent again, and stopped.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
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

void PressShift() {
  INPUT key[2] = {};
  key[0].type = key[1].type = INPUT_KEYBOARD;
  key[0].ki.wVk = key[1].ki.wVk = VK_SHIFT;
  key[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, key, sizeof(INPUT));
}

// The ids of the running lullan.exe processes.
std::vector<DWORD> LullanProcesses() {
  std::vector<DWORD> found;
  unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (::_wcsicmp(entry.szExeFile, L"lullan.exe") == 0) found.push_back(entry.th32ProcessID);
  }
  return found;
}

bool IsRunning(DWORD processId) {
  unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

class EngineServiceTest : public ::testing::Test {
 protected:
  EngineServiceTest() : service(FormatText(L"LullanEngine%lu", ::GetCurrentProcessId())) {
    DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder = FormatText(L"%slullan-e2e-%lu", temp, ::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
  }
  ~EngineServiceTest() override {
    service.Remove();
    DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    ::DeleteFileW((folder + L"\\lullan.log").c_str());
    ::RemoveDirectoryW(folder.c_str());
  }

  std::string Log() const {
    std::ifstream file(Narrow(folder + L"\\lullan.log"), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  // The first match of `pattern`'s group 1 in the log lines written from
  // `from` on, waiting up to `limit` for it; keeps pressing a key every five
  // seconds meanwhile when `busy`.
  std::optional<std::string> WaitInLog(const std::string& pattern, size_t from, std::chrono::seconds limit,
                                       bool busy = false) {
    std::regex expression(pattern);
    auto lastKey = Clock::now();
    for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(250ms)) {
      if (busy && Clock::now() - lastKey >= 5s) {
        PressShift();
        lastKey = Clock::now();
      }
      std::string log = Log();
      std::smatch match;
      if (log.size() > from && std::regex_search(log.cbegin() + from, log.cend(), match, expression))
        return match.size() > 1 ? match[1].str() : match[0].str();
    }
    return std::nullopt;
  }

  InstalledService service;
  std::wstring folder;
};

TEST_F(EngineServiceTest, WatchesTheSessionLogsTheIdleUserOffInADryRunAndEndsItsAgentWhenStopped) {
  const std::wstring versionKey = VersionKeyPath();
  WriteString(HKEY_LOCAL_MACHINE, versionKey, L"InstallDir", folder);
  WriteDword(HKEY_LOCAL_MACHINE, versionKey, L"UseLogFile", 1);
  WriteDword(HKEY_LOCAL_MACHINE, versionKey, L"IdleMinutes", 1);
  // Never the real thing under Wine: ExitWindowsEx would end every process of the prefix.
  WriteDword(HKEY_LOCAL_MACHINE, versionKey, L"DryRun", 1);
  WriteDword(HKEY_LOCAL_MACHINE, versionKey, L"ForceExit", 1);
  ASSERT_TRUE(service.Create(ProgramCommand(TestProgramFolder() + L"\\lullan.exe"),
                             SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS))
      << "error " << ::GetLastError();
  ASSERT_TRUE(service.Start()) << "error " << ::GetLastError();
  ASSERT_TRUE(service.WaitForState(SERVICE_RUNNING, 30s)) << "state " << service.State();

  // It starts an agent in the session, which reports to it.
  std::optional<std::string> agent = WaitInLog("The agent of session 1 is watching \\(process (\\d+)\\)", 0, 30s);
  ASSERT_TRUE(agent) << Log();
  const DWORD agentId = std::stoul(*agent);
  EXPECT_TRUE(IsRunning(agentId));

  // Input keeps the session: well past the idle minute, nothing would be done.
  size_t keptFrom = Log().size();
  EXPECT_FALSE(WaitInLog("would log off", keptFrom, 75s, true)) << Log();

  // Then the user stops: within 65 s of the last input the dry run records the logoff.
  PressShift();
  auto lastInput = Clock::now();
  std::optional<std::string> would =
      WaitInLog("Dry run: would log off .* \\(session 1\\): (idle 1 minute)", keptFrom, 80s);
  auto after = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - lastInput).count();
  ASSERT_TRUE(would) << Log();
  EXPECT_LE(after, 65) << "seconds from the last input to the record";
  EXPECT_GE(after, 58) << "acted before the idle minute was over";
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, versionKey, L"sims$"), 1u) << "the console's user, idle a minute";

  // A change of the configuration applies without a restart.
  size_t changedFrom = Log().size();
  WriteDword(HKEY_LOCAL_MACHINE, versionKey, L"IdleMinutes", 2);
  EXPECT_TRUE(WaitInLog("Configuration: Logoff after 2 idle minutes", changedFrom, 10s)) << Log();

  // An agent killed is started again.
  size_t killedFrom = Log().size();
  {
    unique_handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, agentId));
    ASSERT_TRUE(process);
    ASSERT_TRUE(::TerminateProcess(process.get(), 7));
    ::WaitForSingleObject(process.get(), 5000);
  }
  std::optional<std::string> again =
      WaitInLog("The agent of session 1 is watching \\(process (\\d+)\\)", killedFrom, 90s);
  ASSERT_TRUE(again) << Log();
  const DWORD secondAgentId = std::stoul(*again);
  EXPECT_NE(secondAgentId, agentId);

  // Stopping the service ends the agent within 2 s and leaves no process behind.
  unique_handle serviceProcess = service.Process();
  unique_handle secondAgent(::OpenProcess(SYNCHRONIZE, FALSE, secondAgentId));
  ASSERT_TRUE(secondAgent);
  auto stopAsked = Clock::now();
  ASSERT_TRUE(service.Stop()) << "error " << ::GetLastError();
  EXPECT_EQ(::WaitForSingleObject(secondAgent.get(), 2000), WAIT_OBJECT_0) << "the agent outlived the stop by 2 s";
  auto agentGone = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopAsked).count();
  EXPECT_TRUE(service.WaitForState(SERVICE_STOPPED, 20s)) << "state " << service.State();
  if (serviceProcess) {
    EXPECT_EQ(::WaitForSingleObject(serviceProcess.get(), 10000), WAIT_OBJECT_0) << "the service's process went on";
  }
  EXPECT_TRUE(LullanProcesses().empty()) << LullanProcesses().size() << " lullan.exe processes left";
  EXPECT_NE(Log().find("Lullan idle-logoff service stopped"), std::string::npos) << Log();
  std::printf("the agent ended %lld ms after the stop was asked\n", static_cast<long long>(agentGone));
}

}  // namespace
}  // namespace lullan::test
