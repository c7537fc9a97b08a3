// tarnel.exe end to end under Wine, whose domain calls fail as on a machine
// outside any domain: the start-up messages, the main dialog, and the two
// ways to close it, driven from this process.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "console_process.h"
#include "product.h"
#include "registry_fixture.h"
#include "resource.h"
#include "text_format.h"

namespace lullan::test {
namespace {

class ConsoleProgramTest : public ::testing::Test {
 protected:
  // The program works on this prefix's own console key; each test starts
  // without it, as on a profile server where the console runs first.
  void SetUp() override {
    productExisted_ = KeyExists(HKEY_LOCAL_MACHINE, kProductKey);
    DeleteTree(HKEY_LOCAL_MACHINE, ConsoleKeyPath());
  }
  void TearDown() override {
    DeleteTree(HKEY_LOCAL_MACHINE, productExisted_ ? ConsoleKeyPath() : std::wstring(L"SOFTWARE\\Fennick"));
  }
  static std::vector<std::wstring> Boxes(const ConsoleRun& run) {
    std::vector<std::wstring> boxes;
    for (const SeenDialog& box : run.boxes) boxes.push_back(box.caption + L": " + box.Text());
    return boxes;
  }

 private:
  bool productExisted_ = false;
};

TEST_F(ConsoleProgramTest, StartsOutsideADomainWithItsMessagesShowsTheMainDialogAndExitsAtOnce) {
  std::wstring caption;
  int rows = -1;
  bool refresh = false, logoff = false, configure = false;
  ConsoleRun run = RunConsoleProgram(ConsoleProgram(), [&](HWND dialog) {
    caption = DialogAnswerer::WindowText(dialog);
    rows = static_cast<int>(::SendDlgItemMessageW(dialog, IDC_MACHINES, LVM_GETITEMCOUNT, 0, 0));
    refresh = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_REFRESH)) != FALSE;
    logoff = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_LOGOFF_NOW)) != FALSE;
    configure = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_CONFIGURE)) != FALSE;
    ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);  // Exit
  });
  ASSERT_TRUE(run.finished && run.sawMainDialog) << Narrow(run.Describe());
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_LT(run.closingMs, 3000u) << "Exit waits a tenth of a second, then the program ends";
  EXPECT_EQ(Boxes(run),
            (std::vector<std::wstring>{
                L"Lullan Server Control Panel: Can't find domain controller: error 1355\r\nIs your network up?",
                L"Lullan Server Control Panel: Error (NERR_BASE + 4018) getting server list."}))
      << "Wine has no domain controller (1355) and no browse list (6118)";
  EXPECT_EQ(caption, L"Lullan Server Control Panel");
  EXPECT_EQ(rows, 0);
  EXPECT_TRUE(refresh) << "the failed enumeration gives Refresh back";
  EXPECT_TRUE(logoff);
  EXPECT_TRUE(configure);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ConsoleKeyPath())) << "start-up makes the console key";
}

TEST_F(ConsoleProgramTest, EnterClosesTheMainDialogAndEndsTheProgram) {
  ConsoleRun run =
      RunConsoleProgram(ConsoleProgram(), [](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  ASSERT_TRUE(run.finished && run.sawMainDialog) << Narrow(run.Describe());
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.boxes.size(), 2u) << Narrow(run.Describe());
}

}  // namespace
}  // namespace lullan::test
