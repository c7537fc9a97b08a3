// The monitor's log: its line format, where it lies, and which lines the
// "Debug" and "UseLogFile" settings let through.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "dialog_answerer.h"
#include "event_ids.h"
#include "handles.h"
#include "monitor_events.h"
#include "monitor_fixture.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "registry_fixture.h"
#include "service_host.h"
#include "text_format.h"

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

// The current folder for the life of the object.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::wstring& folder) {
    ::GetCurrentDirectoryW(MAX_PATH, previous_);
    EXPECT_TRUE(::SetCurrentDirectoryW(folder.c_str())) << "error " << ::GetLastError();
  }
  ~CurrentFolder() { ::SetCurrentDirectoryW(previous_); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  wchar_t previous_[MAX_PATH] = {};
};

// "LogDir" normally arrives with the shared profile, which is copied only from
// the fourth cycle: a folder that cannot take the log must not end the
// monitor, or the profile that named it could never correct it.
TEST_F(MonitorLogTest, ALogDirThatCannotTakeTheLogGivesWayToInstallDirAndTheLogSaysWhy) {
  DialogAnswerer dialogs;  // an abort would show its box
  const std::wstring missing = logFolder + L"\\missing\\folder";
  SetLocal(L"LogDir", missing);
  SetLocal(L"InstallDir", logFolder);
  Cycles(2);
  const std::string log = LogText();
  EXPECT_EQ(log.rfind("12/7/2026 9:05 dbg> entered GetRegParams\r\n", 0), 0u) << "the held lines come first\n" << log;
  EXPECT_EQ(Count(log, "Error: can't open log file in \"" + Narrow(missing) + "\": "), 1) << log;
  EXPECT_NE(log.find("(error 3); logging to \"" + Narrow(logFolder) + "\" instead\r\n"), std::string::npos) << log;
  EXPECT_EQ(Count(log, "GetRegParams: opened log file"), 1) << log;
  EXPECT_EQ(Count(log, "dbg> leaving GetRegParams"), 2) << "the monitor goes on\n" << log;
  EXPECT_TRUE(dialogs.seen().empty()) << dialogs.Describe();
}

TEST_F(MonitorLogTest, WhenInstallDirCannotTakeItEitherTheLogGoesToTheCurrentFolder) {
  DialogAnswerer dialogs;
  const std::wstring missing = logFolder + L"\\missing";
  const std::wstring alsoMissing = logFolder + L"\\also missing";
  SetLocal(L"LogDir", missing);
  SetLocal(L"InstallDir", alsoMissing);
  {
    CurrentFolder here(logFolder);
    Cycles(1);
  }
  const std::string log = LogText();
  EXPECT_NE(log.find(Narrow(missing) + "\": "), std::string::npos) << log;
  EXPECT_NE(log.find(Narrow(alsoMissing) + "\": "), std::string::npos) << log;
  EXPECT_EQ(Count(log, "; logging to \".\" instead\r\n"), 2) << "one line for each folder refused\n" << log;
  EXPECT_TRUE(dialogs.seen().empty()) << dialogs.Describe();
}

TEST_F(MonitorLogTest, ALogDirStoredForExpansionIsExpanded) {
  DialogAnswerer dialogs;
  ASSERT_TRUE(::SetEnvironmentVariableW(L"LULLAN_TEST_LOGS", logFolder.c_str()));
  const std::wstring expandable = L"%LULLAN_TEST_LOGS%";
  WriteRaw(HKEY_LOCAL_MACHINE, versionKey, L"LogDir", REG_EXPAND_SZ, expandable.c_str(),
           static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));
  Cycles(1);
  ::SetEnvironmentVariableW(L"LULLAN_TEST_LOGS", nullptr);
  const std::string log = LogText();
  EXPECT_EQ(Count(log, "GetRegParams: opened log file"), 1) << log;
  EXPECT_EQ(Count(log, "Error: can't open log file"), 0) << log;
  EXPECT_STREQ(profmon::Monitor().logDirectory, logFolder.c_str());
  EXPECT_TRUE(dialogs.seen().empty()) << dialogs.Describe();
}

// The monitor runs as LocalSystem: its log must not become a way into another
// process (a named pipe whose server could act as LocalSystem) or onto another
// file (a hard link planted under the log's name, which the open would empty).
TEST_F(MonitorLogTest, APipeOrAFileWithOtherLinksIsRefusedAndTheLogGoesToInstallDir) {
  DialogAnswerer dialogs;
  SetLocal(L"InstallDir", logFolder);

  unique_file pipe(::CreateNamedPipeW(L"\\\\.\\pipe\\LConfigMon.log", PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                      1, 0, 64 * 1024, 0, nullptr));
  ASSERT_TRUE(pipe) << "error " << ::GetLastError();
  SetLocal(L"LogDir", L"\\\\.\\pipe");
  Cycles(1);
  DWORD inPipe = 0;
  ::PeekNamedPipe(pipe.get(), nullptr, 0, nullptr, &inPipe, nullptr);
  EXPECT_EQ(inPipe, 0u) << "log lines went into the pipe";
  EXPECT_EQ(Count(LogText(), "Error: can't open log file in \"\\\\.\\pipe\": "), 1) << LogText();

  Restart();
  const std::wstring linked = logFolder + L"\\linked";
  const std::wstring precious = linked + L"\\precious.txt";
  ASSERT_TRUE(::CreateDirectoryW(linked.c_str(), nullptr));
  {
    unique_file file(::CreateFileW(precious.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), "keep me", 7, &written, nullptr));
  }
  ASSERT_TRUE(::CreateHardLinkW(MonitorLog::FileName(linked.c_str()).c_str(), precious.c_str(), nullptr))
      << "error " << ::GetLastError();
  SetLocal(L"LogDir", linked);
  Cycles(1);
  std::ifstream kept(Narrow(precious), std::ios::binary);
  std::string keptText((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
  EXPECT_EQ(keptText, "keep me");
  EXPECT_EQ(Count(LogText(), "Error: can't open log file in \"" + Narrow(linked) + "\": "), 1) << LogText();
  EXPECT_TRUE(dialogs.seen().empty()) << dialogs.Describe();
}

TEST(MonitorLogFolder, DeviceNamespacePathsAreKnownWhateverTheirSpelling) {
  for (const wchar_t* device : {L"\\\\.\\pipe\\LConfigMon.log", L"//./pipe/LConfigMon.log", L"\\\\.\\LConfigMon.log",
                                L"\\\\?\\C:\\Lullan\\LConfigMon.log", L"\\\\?\\UNC\\server\\share\\LConfigMon.log",
                                L"\\??\\C:\\Lullan\\LConfigMon.log", L"\\\\server\\pipe\\LConfigMon.log",
                                L"\\\\server\\PIPE\\LConfigMon.log", L"\\\\server\\mailslot\\LConfigMon.log"})
    EXPECT_TRUE(IsDevicePath(device)) << device;
  for (const wchar_t* file : {L"\\\\server\\share\\LConfigMon.log", L"\\\\server\\pipes\\LConfigMon.log",
                              L"C:\\Program Files\\Lullan\\LConfigMon.log", L".\\LConfigMon.log"})
    EXPECT_FALSE(IsDevicePath(file)) << file;
}

TEST_F(MonitorLogTest, ALogThatNoFolderCanTakeEndsTheService) {
  SetLocal(L"LogDir", logFolder + L"\\missing\\folder");
  SetLocal(L"InstallDir", logFolder + L"\\missing");
  // The current folder cannot take it either: its name is taken by a folder.
  ASSERT_TRUE(::CreateDirectoryW(MonitorLog::FileName(logFolder.c_str()).c_str(), nullptr));
  EXPECT_EXIT(
      {
        CurrentFolder here(logFolder);
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
