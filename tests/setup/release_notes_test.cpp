// The release notes, the key security messages and stored values that are
// not what they should be, each met where setup reads or writes them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "config_host.h"
#include "file_table.h"
#include "product_key_security.h"
#include "registry_fixture.h"
#include "release_notes.h"
#include "setup_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

class ReleaseNotesTest : public SetupTest {
 protected:
  ReleaseNotesTest() {
    windows = scratch + L"\\Windows";
    log = scratch + L"\\notepad.log";
    ::CreateDirectoryW(windows.c_str(), nullptr);
    ::CreateDirectoryW(installDir.c_str(), nullptr);
    EXPECT_TRUE(::CopyFileW(FakeNotepad().c_str(), (windows + L"\\notepad.exe").c_str(), FALSE));
    ::SetEnvironmentVariableW(L"LULLAN_FAKE_NOTEPAD_LOG", log.c_str());
    app = std::make_unique<setup::CSetupApp>(site);
    EXPECT_TRUE(app->Start(L"setup.exe"));
    app->windowsDirectory = windows;
    app->installDir = installDir;
  }
  ~ReleaseNotesTest() override { ::SetEnvironmentVariableW(L"LULLAN_FAKE_NOTEPAD_LOG", nullptr); }

  static std::wstring FakeNotepad() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring own = path;
    return own.substr(0, own.find_last_of(L'\\')) + L"\\fake_notepad.exe";
  }
  // The command line Notepad was started with.
  std::wstring Opened(bool installedInDialog) {
    ::DeleteFileW(log.c_str());
    setup::ShowReleaseNotes(*app, installedInDialog, nullptr);
    std::wstring line;
    Eventually([&] {
      std::ifstream file(Narrow(log, CP_ACP), std::ios::binary);
      std::stringstream text;
      text << file.rdbuf();
      line = Widen(text.str(), CP_UTF8);
      return !line.empty();
    });
    return line;
  }
  std::wstring Quoted(const std::wstring& notes) const {
    return L"\"" + windows + L"\\notepad.exe\" \"" + notes + L"\\readme.txt\"";
  }

  std::wstring windows;
  std::wstring log;
};

TEST_F(ReleaseNotesTest, TheNotesComeFromWhereTheyAreAndBothPathsAreQuoted) {
  EXPECT_EQ(Opened(false), Quoted(startDirectory)) << "before an installation: the directory setup started in";
  ::CopyFileW((startDirectory + L"\\readme.txt").c_str(), InstalledFile(L"readme.txt").c_str(), FALSE);
  EXPECT_EQ(Opened(true), Quoted(installDir)) << "after one in this dialog: the installation directory";
  ::DeleteFileW((startDirectory + L"\\readme.txt").c_str());
  EXPECT_EQ(Opened(false), Quoted(installDir)) << "not in the start directory: the installation directory";
}

TEST_F(ReleaseNotesTest, WithoutNotepadTheErrorIsReported) {
  app->windowsDirectory = scratch + L"\\NoWindowsHere";
  DialogAnswerer boxes;
  boxes.Answer(IDOK);
  setup::ShowReleaseNotes(*app, false, nullptr);
  ASSERT_EQ(boxes.seen().size(), 1u);
  const std::wstring text = boxes.seen()[0].Text();
  EXPECT_EQ(text.rfind(L"LullanSetup error ", 0), 0u) << Narrow(text);
  EXPECT_NE(text.find(L": Can't start Notepad\n"), std::wstring::npos) << Narrow(text);
}

TEST_F(ReleaseNotesTest, KeySecurityOnAMissingKeyIsReportedInEachProgramsWords) {
  struct Case {
    config::ConfigHost::Program program;
    const wchar_t* text;
  };
  for (const Case& c : {Case{config::ConfigHost::Program::Setup, L"RegOpenKeyEx error! (rc=2)\n"},
                        Case{config::ConfigHost::Program::Console, L"RegOpenKeyEx error! (rc=2)"}}) {
    DialogAnswerer boxes;
    boxes.Answer(IDOK);
    EXPECT_EQ(config::SetProductKeySecurity(nullptr, versionKey + L"\\Missing", c.program), DWORD{ERROR_INVALID_DATA});
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].Text(), c.text);
  }
}

// What setup makes of an installation directory stored in every wrong way.
TEST_F(ReleaseNotesTest, AStoredInstallationDirectoryIsTakenOnlyWhenItIsOne) {
  struct Case {
    const char* what;
    DWORD type;
    std::wstring data;
    size_t bytes;  // stored size; the terminator counts where it is stored
    bool installed;
    std::wstring read;
  };
  const std::wstring dir = L"D:\\Apps\\Lullan";
  const std::wstring tooLong(261, L'd');
  for (const Case& c : std::vector<Case>{
           {"as written", REG_SZ, dir, (dir.size() + 1) * 2, true, dir},
           {"without its terminator", REG_SZ, dir, dir.size() * 2, true, dir},
           {"with a null inside", REG_SZ, dir + std::wstring(1, L'\0') + L"junk", (dir.size() + 6) * 2, true, dir},
           {"an odd number of bytes", REG_SZ, dir, dir.size() * 2 + 1, true, dir},
           {"longer than any path", REG_SZ, tooLong, (tooLong.size() + 1) * 2, false, {}},
           {"empty", REG_SZ, L"", 2, false, {}},
           {"a number", REG_DWORD, L"\x0001\x0000", 4, false, {}},
       }) {
    SCOPED_TRACE(c.what);
    WriteRaw(HKEY_LOCAL_MACHINE, versionKey, L"InstallDir", c.type, c.data.data(), static_cast<DWORD>(c.bytes));
    setup::CSetupApp reader(site);
    ASSERT_TRUE(reader.Start(L"setup.exe"));
    EXPECT_EQ(reader.installed, c.installed);
    EXPECT_EQ(reader.installDir,
              c.installed ? c.read : setup::DefaultInstallDirectory(reader.systemDirectory, reader.fallbackDirectory));
  }
}

}  // namespace
}  // namespace lullan::test
