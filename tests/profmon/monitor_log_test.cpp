// The monitor's log: its line format, where it lies, and which lines the
// "Debug" and "UseLogFile" settings let through.
#include <gtest/gtest.h>

#include <cstdio>

#include "dialog_answerer.h"
#include "event_ids.h"
#include "monitor_events.h"
#include "monitor_fixture.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "registry_fixture.h"
#include "service_host.h"

namespace lullan::test {
namespace {

using profmon::MonitorLog;

TEST(MonitorLogLine, IsMonthDayYearHourMinuteWithoutPadding) {
  FixedClock at905(2026, 12, 7, 9, 5);
  EXPECT_EQ(MonitorLog::FormatLine(at905.now, L"dbg> entered GetRegParams"),
            "12/7/2026 9:05 dbg> entered GetRegParams\n");
  FixedClock at1430(2027, 1, 15, 14, 30);
  EXPECT_EQ(MonitorLog::FormatLine(at1430.now, L"x"), "1/15/2027 14:30 x\n");
  // A text that ends its own line gets no second line end.
  EXPECT_EQ(MonitorLog::FormatLine(at905.now, L"done\n"), "12/7/2026 9:05 done\n");
}

class MonitorLogTest : public MonitorTest {};

TEST_F(MonitorLogTest, LinesBeforeTheFirstReadingLandInTheConfiguredFolderWithCrLf) {
  SetLocal(L"LogDir", logFolder);
  Cycles(1);
  EXPECT_EQ(LogText(),
            "12/7/2026 9:05 dbg> entered GetRegParams\r\n"
            "12/7/2026 9:05 GetRegParams: opened log file\r\n"
            "12/7/2026 9:05 dbg> bRefreshRemoteConfig = false\r\n"
            "12/7/2026 9:05 dbg> leaving GetRegParams\r\n");
}

TEST_F(MonitorLogTest, InstallDirHoldsTheLogWhenLogDirIsEmpty) {
  SetLocal(L"LogDir", L"");
  SetLocal(L"InstallDir", logFolder);
  Cycles(1);
  EXPECT_EQ(Count(LogText(), "GetRegParams: opened log file"), 1);
}

TEST_F(MonitorLogTest, WithoutDebugValueDebugLinesAreWritten) {
  SetLocal(L"LogDir", logFolder);
  Cycles(2);
  EXPECT_EQ(Count(LogText(), "dbg> entered GetRegParams"), 2);
}

TEST_F(MonitorLogTest, DebugOffWithoutUseLogFileKeepsLoggingButDropsDebugLines) {
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Debug", DWORD{0});
  SetLocal(L"Profile", L"stdLogoff");  // no PLS: an error line every cycle
  Cycles(2);
  std::string log = LogText();
  EXPECT_EQ(Count(log, "Error: configuration missing remote server name!"), 2) << log;
  EXPECT_EQ(Count(log, "dbg> leaving GetRegParams"), 0) << log;
}

TEST_F(MonitorLogTest, DebugAndUseLogFileOffWriteNoFileAtAll) {
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Debug", DWORD{0});
  SetLocal(L"UseLogFile", DWORD{0});
  SetLocal(L"Profile", L"stdLogoff");
  Cycles(2);
  EXPECT_EQ(::GetFileAttributesW(MonitorLog::FileName(logFolder.c_str()).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(events.Ids().size(), 2u) << "the events are reported whether or not there is a log";
}

TEST_F(MonitorLogTest, DebugTurnedOnLaterTakesEffectInTheNextCycle) {
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Debug", DWORD{0});
  SetLocal(L"UseLogFile", DWORD{1});
  Cycles(1);
  SetLocal(L"Debug", DWORD{1});
  Cycles(1);
  // Held from the very first line, then nothing until the next cycle's reading.
  EXPECT_EQ(Count(LogText(), "dbg> leaving GetRegParams"), 1);
}

TEST_F(MonitorLogTest, AWorkstationWithoutConfigurationLogsInTheCurrentFolder) {
  wchar_t previous[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(logFolder.c_str()));
  Cycles(1);
  ::SetCurrentDirectoryW(previous);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, versionKey)) << "the configuration key is created";
  EXPECT_EQ(Count(LogText(), "dbg> entered GetRegParams"), 1);
  EXPECT_TRUE(profmon::Monitor().debug);
  EXPECT_TRUE(profmon::Monitor().logging);
}

TEST_F(MonitorLogTest, TheStopLineIsTheLastOneEvenIfTheMonitorGoesOn) {
  SetLocal(L"LogDir", logFolder);
  Cycles(1);
  profmon::StopMonitor();
  Cycles(1);  // a cycle that was already running when the stop came
  std::string log = LogText();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) + 1), "12/7/2026 9:05 Lullan Configuration Monitor stopped\r\n")
      << log;
  EXPECT_EQ(events.Ids(), std::vector<DWORD>{kEventMonitorStopping});
}

TEST_F(MonitorLogTest, EventsUseTheServiceSourceAndAreErrorsOnlyAboveC0000000) {
  profmon::ReportMonitorEvent(0xC0000000);
  profmon::ReportMonitorEvent(kEventProfileServerMissing);
  profmon::ReportMonitorEvent(kEventMonitorStarted);
  ASSERT_EQ(events.events.size(), 3u);
  EXPECT_EQ(events.events[0].type, EVENTLOG_INFORMATION_TYPE);
  EXPECT_EQ(events.events[1].type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(events.events[2].type, EVENTLOG_INFORMATION_TYPE);
  for (const RecordingEventLog::Event& e : events.events) {
    EXPECT_EQ(e.source, L"Lullan");
    EXPECT_EQ(e.server, L"") << "the local machine";
    EXPECT_EQ(e.category, 0);
    EXPECT_FALSE(e.hasUserSid);
    EXPECT_EQ(e.stringCount, 0);
    EXPECT_EQ(e.dataSize, 0u);
  }
  EXPECT_EQ(events.openSources, 0);
}

TEST_F(MonitorLogTest, ALogFolderThatCannotBeOpenedEndsTheService) {
  SetLocal(L"LogDir", logFolder + L"\\missing\\folder");
  EXPECT_EXIT(
      {
        // The box goes to the interactive desktop; show what it said on stderr.
        DialogAnswerer dialogs;
        dialogs.Answer([&dialogs](HWND box) {
          std::fprintf(stderr, "[%ls] %ls\n", dialogs.seen().back().caption.c_str(),
                       dialogs.seen().back().Text().c_str());
          DialogAnswerer::PressButton(box, IDOK);
        });
        Cycles(1);
      },
      ::testing::ExitedWithCode(1), "\\[LConfigMon\\] Can't open log file");
}

}  // namespace
}  // namespace lullan::test
