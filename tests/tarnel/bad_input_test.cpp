// What the network and other computers' registries hand the console is not
// always what it should be: names, users and profiles longer than the
// console's fields, values of the wrong type or size, texts without their
// terminator, a product key laid out otherwise. Nothing overflows, nothing
// crashes, and what can be read is shown.
#include <gtest/gtest.h>

#include "console_fixture.h"
#include "os_label.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using tarnel::OsLabel;

class BadInputTest : public ConsoleTest {
 protected:
  void StoreRaw(const std::wstring& computer, const wchar_t* name, DWORD type, const void* data, DWORD size,
                const std::wstring& key = kVersionKey) {
    WriteRaw(Registry(computer), key, name, type, data, size);
  }
};

TEST_F(BadInputTest, TextsLongerThanTheFieldsAreCutToThemAtACharacterBoundary) {
  const std::wstring longName = L"WORKSTATION-OF-THE-SALES-DEPARTMENT";  // 35 characters
  const std::wstring cutName = longName.substr(0, 15);
  // The browse list names it in full; the console reaches it by the name it keeps.
  Listed(longName);
  services.On(cutName).Service(L"Lullan", SERVICE_RUNNING);
  LoggedOn(cutName, std::wstring(21, L'u') + L"\U0001F600" + L"tail");  // a pair where the field ends
  Store(cutName, L"PrevUser", std::wstring(300, L'p'));
  Store(cutName, L"Profile", std::wstring(64, L'f'));
  Listed(L"PC-9").Type(SV_TYPE_NT).Version(4, 1234);  // "NT 4.1234" is longer than the OS field
  Listed(L"");                                        // a nameless entry is listed and skipped
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([&cutName](const Controls& panel) {
        std::vector<ListRow> rows = Rows(panel);
        ASSERT_EQ(rows.size(), 3u) << "the long name is listed once, cut to 15 characters";
        EXPECT_EQ(rows[0].cells[0], cutName);
        EXPECT_EQ(rows[0].cells[3], std::wstring(21, L'u')) << "the pair is not split";
        EXPECT_EQ(rows[0].cells[5], std::wstring(22, L'p'));
        EXPECT_EQ(rows[0].cells[6], std::wstring(63, L'f'));
        EXPECT_EQ(rows[1].cells[0], L"PC-9");
        EXPECT_EQ(rows[1].cells[1], L"NT 4.12");
        EXPECT_EQ(rows[2].cells[0], L"");
      })
      .Exit();
  RunConsole(admin);
  EXPECT_EQ(ManagersOpened(), (std::vector<std::wstring>{cutName, L"PC-9"})) << "the nameless entry is not asked for";
}

TEST_F(BadInputTest, ValuesOfTheWrongTypeOrSizeReadAsAbsent) {
  Workstation(L"PC-1", L"alice", 42);
  Store(L"PC-1", L"PrevUser", L"bob");
  ConsoleSession admin;
  admin.WaitForScan()
      .Do(L"spoil PC-1's values",
          [this](HWND) {
            const DWORD number = 7;
            const wchar_t text[] = L"9";
            const BYTE eight[8] = {1};
            StoreRaw(L"PC-1", L"sims$", REG_SZ, text, sizeof text);               // a text
            StoreRaw(L"PC-1", L"EnableDailyLogoff", REG_BINARY, &number, 4);      // binary, not a DWORD
            StoreRaw(L"PC-1", L"PrevUser", REG_DWORD, &number, sizeof number);    // a number
            StoreRaw(L"PC-1", L"Profile", REG_QWORD, eight, sizeof eight);        // eight bytes
            const wchar_t odd[] = {L'e', L'v', L'e'};                             // no terminator, odd size
            StoreRaw(L"PC-1", L"DefaultUserName", REG_SZ, odd, 5, kWinlogonKey);  // "ev" and half a character
          })
      .Select({L"PC-1"})
      .Click(IDC_LOGOFF_NOW)  // probes PC-1 again
      .Answer(IDNO)
      .Look([](const Controls& panel) {
        EXPECT_EQ(RowLines(panel), std::vector<std::wstring>{L"PC-1 | Win2000 | [none] | ev | 42 | bob |  | image 0"})
            << "what could not be read keeps what was read before";
      })
      .Exit();
  RunConsole(admin);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Logoff ev from machine PC-1?");
}

TEST_F(BadInputTest, AnOutOfRangeDailyLogoffTimeReadsAsThePackedTimeRulesSay) {
  Workstation(L"PC-1");
  Store(L"PC-1", L"EnableDailyLogoff", 1);
  Store(L"PC-1", L"DailyLogoffTime", 0x0030003C);  // hour 48, minute 60: both read as 0
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(Column(panel, tarnel::kDailyLogoffColumn), std::vector<std::wstring>{L"12:00 AM"});
      })
      .Exit();
  RunConsole(admin);
}

TEST_F(BadInputTest, TheVersionKeyIsTheLastProductSubkeyOnlyWhenItsNameBeginsWithADigit) {
  const std::wstring product = L"SOFTWARE\\Fennick\\Lullan";
  // PC-1: 1.10 and 1.11; the last one counts.
  Workstation(L"PC-1");
  Store(L"PC-1", L"sims$", 10, product + L"\\1.10");
  Store(L"PC-1", L"sims$", 11, product + L"\\1.11");
  // PC-2: no version subkey; the values stand in the product key itself.
  Workstation(L"PC-2");
  DeleteTree(Registry(L"PC-2"), kVersionKey);
  Store(L"PC-2", L"sims$", 20, product);
  // PC-3: its last subkey is no version; the product key is read.
  Workstation(L"PC-3");
  Store(L"PC-3", L"sims$", 30, product);
  Store(L"PC-3", L"sims$", 31, product + L"\\Zeta");
  // PC-4: no product key at all: the probe reads nothing, and says nothing.
  Workstation(L"PC-4", L"dora");
  DeleteTree(Registry(L"PC-4"), product);
  ConsoleSession admin;
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(RowLines(panel), (std::vector<std::wstring>{L"PC-1 | Win2000 | [none] |  | 11 |  |  | image 0",
                                                              L"PC-2 | Win2000 | [none] |  | 20 |  |  | image 0",
                                                              L"PC-3 | Win2000 | [none] |  | 30 |  |  | image 0",
                                                              L"PC-4 | Win2000 |  |  |  |  |  | image 0"}));
      })
      .Exit();
  RunConsole(admin);
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
}

TEST_F(BadInputTest, UnreachableRegistriesAndServiceManagersAreToldAndTheScanGoesOn) {
  Workstation(L"PC-1", L"alice");
  Workstation(L"PC-2", L"bob");
  registry.FailMachine(L"PC-2", ERROR_BAD_NETPATH);
  Workstation(L"PC-3", L"carol");
  services.On(L"PC-3").QueryFails(L"Lullan", ERROR_ACCESS_DENIED);
  Listed(L"PC-4");
  services.On(L"PC-4").OpenManagerFails(ERROR_ACCESS_DENIED);
  Listed(L"PC-5");
  services.On(L"PC-5").OpenManagerFails(ERROR_INVALID_PARAMETER);
  ConsoleSession admin;
  admin.Answer(IDOK).Answer(IDOK).Answer(IDOK).Answer(IDOK);
  admin.WaitForScan()
      .Look([](const Controls& panel) {
        EXPECT_EQ(RowLines(panel), (std::vector<std::wstring>{L"PC-1 | Win2000 | [none] | alice | 0 |  |  | image 0",
                                                              L"PC-2 | Win2000 |  |  |  |  |  | image 0",
                                                              L"PC-3 | Win2000 | [none] | carol | 0 |  |  | image 1",
                                                              L"PC-4 | Win2000 |  |  |  |  |  | image 2",
                                                              L"PC-5 | Win2000 |  |  |  |  |  | image 2"}));
        EXPECT_EQ(StatusText(panel), L"2 of 5 computers running Lullan service");
      })
      .Exit();
  RunConsole(admin);
  std::multiset<std::wstring> shown;
  for (const SeenDialog& box : admin.boxes()) shown.insert(box.Text());
  EXPECT_EQ(shown, (std::multiset<std::wstring>{L"Error connecting to registry on PC-2", L"Error querying SCM",
                                                L"Error opening SCM on PC PC-4: access denied",
                                                L"Error opening SCM on PC PC-5: invalid parameter"}))
      << admin.Describe();
}

TEST(OsLabelTest, TheFirstMatchingTypeBitGivesTheLabelAndNtLabelsTheirVersion) {
  struct Case {
    DWORD type;
    DWORD major;
    DWORD minor;
    const wchar_t* label;
  };
  for (const Case& c : {
           Case{SV_TYPE_WORKSTATION | SV_TYPE_NT, 5, 0, L"Win2000"},
           Case{SV_TYPE_WORKSTATION | SV_TYPE_NT, 4, 0, L"NT 4.0"},
           Case{SV_TYPE_NT | 0x40 /*a browser flag*/, 0x10 | 5, 0, L"Win2000"},  // only the low four bits count
           Case{SV_TYPE_NT | SV_TYPE_SERVER_NT, 3, 51, L"NT 3.51"},
           Case{SV_TYPE_SERVER_NT, 4, 0, L"NTS 4.0"},
           Case{SV_TYPE_DOMAIN_CTRL | SV_TYPE_NOVELL, 4, 0, L"NT 4.0"},
           Case{SV_TYPE_DOMAIN_BAKCTRL, 5, 0, L"Win2000"},
           Case{SV_TYPE_NOVELL | SV_TYPE_NT, 3, 12, L"NW"},
           Case{SV_TYPE_XENIX_SERVER, 2, 0, L"Xen"},
           Case{SV_TYPE_WINDOWS | SV_TYPE_WFW, 4, 0, L"Win9x"},
           Case{SV_TYPE_WFW, 3, 11, L"WFW"},
           Case{SV_TYPE_WORKSTATION | SV_TYPE_SERVER, 4, 0, L""},
       }) {
    EXPECT_EQ(OsLabel(c.type, c.major, c.minor), c.label) << "type 0x" << std::hex << c.type;
  }
}

}  // namespace
}  // namespace lullan::test
