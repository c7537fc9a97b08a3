// logoff.exe end to end: the program runs in its own process and its boxes
// are answered by the window driver. For the logoff modes the test build of
// quitcom.dll is registered under FCLogoff, so the exit calls are recorded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "built_files.h"
#include "handles.h"
#include "quitcom_registry.h"
#include "recorded_exit.h"
#include "registry_fixture.h"
#include "text_format.h"
#include "window_driver.h"

namespace lullan::test {
namespace {

using Export = HRESULT(STDAPICALLTYPE*)();

class LogoffToolTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveQuitcomRegistration();
    ClearRecordedExits();
  }
  // Never leave the real component registered: a later logoff.exe would end the session.
  void TearDown() override {
    RemoveQuitcomRegistration();
    ClearRecordedExits();
  }

  static void RegisterRecordingQuitcom() {
    unique_library library(::LoadLibraryW(RecordingFile(L"quitcom.dll").c_str()));
    ASSERT_TRUE(library) << "error " << ::GetLastError();
    auto registerServer =
        reinterpret_cast<Export>(reinterpret_cast<void (*)()>(::GetProcAddress(library.get(), "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), S_OK);
  }
  static ChildRun Logoff(const std::wstring& arguments, const std::wstring& program = ProductFile(L"logoff.exe"),
                         const std::wstring& directory = L"") {
    return RunAndAnswer(program, arguments, directory);
  }
  static std::vector<std::wstring> Boxes(const ChildRun& run) {
    std::vector<std::wstring> boxes;
    for (const SeenDialog& d : run.dialogs) boxes.push_back(d.caption + L": " + d.Text());
    return boxes;
  }
};

TEST_F(LogoffToolTest, TheSwitchChoosesTheOperation) {
  RegisterRecordingQuitcom();
  struct Case {
    const wchar_t* arguments;
    DWORD flags;
  };
  for (const Case& c : {Case{L"", 4}, Case{L"-S", 5}, Case{L"/shutdown", 5}, Case{L"-R", 6}, Case{L"/reboot", 6},
                        Case{L"/x", 4}, Case{L"/Logoff", 4}}) {
    SCOPED_TRACE(Narrow(std::wstring(L"arguments \"") + c.arguments + L"\""));
    ClearRecordedExits();
    ChildRun run = Logoff(c.arguments);
    EXPECT_TRUE(run.finished && run.exitCode == 0 && run.dialogs.empty()) << Narrow(run.Describe());
    EXPECT_EQ(RecordedExitFlags(), std::vector<DWORD>{c.flags});
  }
  EXPECT_EQ(RecordedPrivilegeRequests(), 1u) << "the in-process component enables the privilege for a logoff too";
}

TEST_F(LogoffToolTest, AnOverLongCommandLineIsReadByItsStartOnly) {
  RegisterRecordingQuitcom();
  ChildRun run = Logoff(L"-r" + std::wstring(30000, L'x'));
  EXPECT_TRUE(run.finished && run.exitCode == 0 && run.dialogs.empty()) << Narrow(run.Describe());
  EXPECT_EQ(RecordedExitFlags(), std::vector<DWORD>{6});
}

TEST_F(LogoffToolTest, TheUsageSwitchShowsTheUsageAndDoesNothingElse) {
  RegisterRecordingQuitcom();
  for (const wchar_t* arguments : {L"/?", L"-help"}) {
    SCOPED_TRACE(Narrow(arguments));
    ChildRun run = Logoff(arguments);
    ASSERT_TRUE(run.finished) << Narrow(run.Describe());
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u) << Narrow(run.Describe());
    EXPECT_EQ(run.dialogs[0].caption, L"logoff");
    EXPECT_EQ(run.dialogs[0].Text().rfind(L"Usage: logoff", 0), 0u) << Narrow(run.dialogs[0].Text());
    EXPECT_NE(run.dialogs[0].Text().find(L"Copyright"), std::wstring::npos) << "the legal line";
  }
  EXPECT_TRUE(RecordedExitFlags().empty());
}

TEST_F(LogoffToolTest, AFailingCallIsReportedAndStillEndsWithZero) {
  RegisterRecordingQuitcom();
  ScriptExitResult(FALSE);
  ChildRun run = Logoff(L"/s");
  EXPECT_TRUE(run.finished && run.exitCode == 0) << Narrow(run.Describe());
  EXPECT_EQ(Boxes(run), std::vector<std::wstring>{L"logoff: Error calling Logoff component!"});
}

TEST_F(LogoffToolTest, AnUnregisteredComponentIsReportedWithExitCodeOne) {
  ChildRun run = Logoff(L"");
  EXPECT_TRUE(run.finished && run.exitCode == 1) << Narrow(run.Describe());
  EXPECT_EQ(Boxes(run), std::vector<std::wstring>{L"logoff: CoCreateInstanceEx failed: unknown error."});
}

TEST_F(LogoffToolTest, AComponentWithoutILogoffIsReportedAndNothingIsCalled) {
  WriteString(HKEY_CLASSES_ROOT, std::wstring(kFCLogoffKey) + L"\\InprocServer32", nullptr,
              RecordingFile(L"bare_component.dll"));
  WriteString(HKEY_CLASSES_ROOT, std::wstring(kFCLogoffKey) + L"\\InprocServer32", L"ThreadingModel", L"Free");
  ChildRun run = Logoff(L"/s");
  EXPECT_TRUE(run.finished && run.exitCode == 1) << "nothing was done: " << Narrow(run.Describe());
  EXPECT_EQ(Boxes(run), std::vector<std::wstring>{L"logoff: IID_ILogoff not supported"});
}

// The test build of quitcom.dll stands beside the program: registering the
// shipped one would make any logoff.exe run in parallel end the session.
TEST_F(LogoffToolTest, InstallRegistersTheComponentBesideIt) {
  ScratchFolder folder(L"logoff-install");
  std::wstring program = folder.Copy(ProductFile(L"logoff.exe"));
  std::wstring library = folder.Copy(RecordingFile(L"quitcom.dll"));
  ASSERT_FALSE(program.empty() || library.empty()) << "error " << ::GetLastError();

  ChildRun run = Logoff(L"/install", program, folder.path());
  EXPECT_TRUE(run.finished && run.exitCode == 0) << Narrow(run.Describe());
  EXPECT_EQ(Boxes(run), std::vector<std::wstring>{L"logoff: Install successful"});
  ExpectQuitcomRegistered(library);
}

TEST_F(LogoffToolTest, InstallWithoutTheComponentReportsTheSystemError) {
  // logoff.exe alone in a folder of its own: quitcom.dll is neither beside it nor on the path.
  ScratchFolder folder(L"logoff-alone");
  std::wstring program = folder.Copy(ProductFile(L"logoff.exe"));
  ASSERT_FALSE(program.empty()) << "error " << ::GetLastError();

  ChildRun run = Logoff(L"-i", program, folder.path());
  EXPECT_TRUE(run.finished && run.exitCode == 0) << Narrow(run.Describe());
  EXPECT_EQ(Boxes(run), (std::vector<std::wstring>{L"logoff: Error 126 getting address of DllRegisterServer",
                                                   L"logoff: Install failed"}));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFCLogoffKey));
}

}  // namespace
}  // namespace lullan::test
