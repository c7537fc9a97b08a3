#include "command_line.h"

#include <gtest/gtest.h>

#include "event_ids.h"
#include "fake_platform.h"
#include "program_runner.h"
#include "service_host.h"

namespace lullan::profmon {
namespace {

MonitorCommand Parse(std::initializer_list<const wchar_t*> arguments) {
  std::vector<const wchar_t*> argv{L"profmon.exe"};
  argv.insert(argv.end(), arguments);
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(MonitorCommandLine, SwitchesAreKnownByTheirFirstLettersInAnyCase) {
  EXPECT_EQ(Parse({L"-install"}).kind, MonitorCommand::kInstall);
  EXPECT_EQ(Parse({L"/INS"}).kind, MonitorCommand::kInstall);
  EXPECT_EQ(Parse({L"-remove"}).kind, MonitorCommand::kRemove);
  EXPECT_EQ(Parse({L"/REMOVE"}).kind, MonitorCommand::kRemove);
  EXPECT_EQ(Parse({L"-?"}).kind, MonitorCommand::kHelp);
  EXPECT_EQ(Parse({L"/Help"}).kind, MonitorCommand::kHelp);
  // Anything else runs the service dispatcher.
  EXPECT_EQ(Parse({}).kind, MonitorCommand::kRunService);
  EXPECT_EQ(Parse({L"-x"}).kind, MonitorCommand::kRunService);
  EXPECT_EQ(Parse({L"install"}).kind, MonitorCommand::kRunService);
  EXPECT_EQ(Parse({L"-in"}).kind, MonitorCommand::kRunService);
}

TEST(MonitorCommandLine, AnAccountNeedsBothNameAndPassword) {
  MonitorCommand withAccount = Parse({L"-install", L"DOMAIN\\svc", L"secret"});
  EXPECT_EQ(withAccount.account, L"DOMAIN\\svc");
  EXPECT_EQ(withAccount.password, L"secret");
  EXPECT_TRUE(Parse({L"-install", L"DOMAIN\\svc"}).account.empty()) << "a name alone installs as LocalSystem";
  EXPECT_TRUE(Parse({L"-install"}).account.empty());
}

TEST(MonitorProgram, HelpPrintsTheUsageWithItsDebugLines) {
  const std::string expected =
      "dbg: in wmain\n"
      "dbg: matched help arg\n"
      "LConfigMon -install [username password]  to install the service\n"
      "LConfigMon -remove                       to remove the service\n";
  for (const wchar_t* help : {L"-?", L"/Help"}) {
    test::ProgramRun run = test::RunProgram(L"profmon.exe", help);
    EXPECT_EQ(run.output, expected);
    EXPECT_EQ(run.exitCode, 0u);
  }
}

TEST(MonitorProgram, AnUnknownSwitchFromAConsoleFailsToReachTheServiceManager) {
  test::ProgramRun run = test::RunProgram(L"profmon.exe", L"-x");
  EXPECT_EQ(run.output, "dbg: in wmain\n");
  EXPECT_EQ(run.exitCode, 1u);

  // The same in process, where the event can be seen.
  test::RecordingEventLog events;
  test::ScopedPlatform scope;
  scope.Use(events);
  EXPECT_FALSE(RunServiceDispatcher());
  ASSERT_EQ(events.Ids(), std::vector<DWORD>{kEventDispatcherFailed});
  EXPECT_EQ(events.events[0].type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(events.events[0].source, L"Lullan");
  EXPECT_EQ(events.openSources, 0) << "the event source must be deregistered";
}

}  // namespace
}  // namespace lullan::profmon
