// The Tuning page in a real configuration sheet, in setup and in the
// console: what it shows, what OK stores, the change bits, and stored values
// that are not what they should be.
#include "tuning_page.h"

#include <gtest/gtest.h>

#include "config_fixture.h"
#include "resource.h"

namespace lullan::test {
namespace {

using config::CTuneDlg;
using config::Target;

class TuningPageTest : public ConfigTest {
 protected:
  // The five values OK writes, as found in `key`.
  struct Tuning {
    std::optional<DWORD> sensitivity, ignoreKernel, monitorMouse, netBytes;
    std::optional<std::wstring> excludeFiles;
    bool operator==(const Tuning&) const = default;
    friend void PrintTo(const Tuning& t, std::ostream* out) {
      auto number = [out](const std::optional<DWORD>& n) { n ? *out << *n : *out << "(absent)"; };
      *out << "{sensitivity ";
      number(t.sensitivity);
      *out << ", kernel ";
      number(t.ignoreKernel);
      *out << ", mouse ";
      number(t.monitorMouse);
      *out << ", threshold ";
      number(t.netBytes);
      *out << ", exclusions " << (t.excludeFiles ? ::testing::PrintToString(*t.excludeFiles) : "(absent)") << "}";
    }
  };
  Tuning Stored(const std::wstring& key) const {
    return {Number(key, L"ExplorerSensitivity"), Number(key, L"IgnoreKernel"), Number(key, L"MonitorMouse"),
            Number(key, L"NetBytesSec"), Text(key, L"ExcludeFiles")};
  }
  static void ShowsNothingStored(const Controls& page) {
    EXPECT_EQ(page.TrackbarPosition(IDC_TUNING_SENSITIVITY), 2);
    EXPECT_EQ(page.Text(IDC_TUNING_NET_BYTES), L"100");
    EXPECT_EQ(page.Text(IDC_TUNING_EXCLUDE_FILES), L"");
    EXPECT_FALSE(page.Checked(IDC_TUNING_IGNORE_KERNEL));
    EXPECT_FALSE(page.Checked(IDC_TUNING_MONITOR_MOUSE));
  }
};

TEST_F(TuningPageTest, ANewWorkstationShowsTheDefaultsInTheWordsOfThePageAndOKStoresThem) {
  auto sheet = Sheet<CTuneDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) {
    ShowsNothingStored(page);
    EXPECT_EQ(page.Labels(),
              (std::vector<std::wstring>{L"Explorer sensitivity", L"Set the degree of Explorer sensitivity:", L"Low",
                                         L"High", L"Ignore these .EXE files (comma-separated list):",
                                         L"Ignore network activity below this threshold (bytes/sec):"}));
    EXPECT_EQ(page.Label(IDC_TUNING_IGNORE_KERNEL), L"Ignore kernel activity");
    EXPECT_EQ(page.Label(IDC_TUNING_MONITOR_MOUSE), L"Monitor mouse movement");
  });
  admin.Do(L"read the tab", [](HWND sheet) { EXPECT_EQ(SheetSession::CurrentPage(sheet), L"Tuning"); }).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);

  // Reading made the version key, so OK found it there and wrote into it.
  EXPECT_EQ(Stored(versionKey), (Tuning{2, 0, 0, 100, L""}));
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
}

TEST_F(TuningPageTest, TheAdministratorsChoicesAreStoredAndTheThresholdByItsLeadingNumber) {
  Store(versionKey, L"ExplorerSensitivity", 1);  // as the standard profiles carry it
  auto sheet = Sheet<CTuneDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(page.TrackbarPosition(IDC_TUNING_SENSITIVITY), 1); })
      .Slide(IDC_TUNING_SENSITIVITY, 3)
      .Type(IDC_TUNING_EXCLUDE_FILES, L"notepad.exe,calc.exe")
      .Type(IDC_TUNING_NET_BYTES, L"250abc")
      .Click(IDC_TUNING_IGNORE_KERNEL)
      .Click(IDC_TUNING_MONITOR_MOUSE)
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), (Tuning{3, 1, 1, 250, L"notepad.exe,calc.exe"}));

  // The next visit shows what was stored; a threshold without a number is 0.
  auto again = Sheet<CTuneDlg>(setup, Target());
  SheetSession next;
  next.Look([](const Controls& page) {
        EXPECT_EQ(page.TrackbarPosition(IDC_TUNING_SENSITIVITY), 3);
        EXPECT_EQ(page.Text(IDC_TUNING_NET_BYTES), L"250");
        EXPECT_TRUE(page.Checked(IDC_TUNING_IGNORE_KERNEL));
      })
      .Type(IDC_TUNING_NET_BYTES, L"abc")
      .Click(IDC_TUNING_MONITOR_MOUSE)
      .PressOK();
  EXPECT_EQ(next.Run(*again), IDOK);
  EXPECT_EQ(Stored(versionKey), (Tuning{3, 1, 0, 0, L"notepad.exe,calc.exe"}));
}

TEST_F(TuningPageTest, InTheConsoleOKMarksEveryValueItWroteAndCancelWritesNothing) {
  Store(MachineKey(), L"IdleMinutes", 45);  // the local copy of PC-017's configuration
  auto cancelled = Sheet<CTuneDlg>(console, Target::Machine(kMachine));
  SheetSession changedMind;
  changedMind.Slide(IDC_TUNING_SENSITIVITY, 0).PressCancel();
  EXPECT_EQ(changedMind.Run(*cancelled), IDCANCEL);
  EXPECT_EQ(Stored(MachineKey()), Tuning{});
  EXPECT_EQ(console.changes().dwordChangeMask | console.changes().stringChangeMask, 0u);

  console.changes().Clear();
  auto sheet = Sheet<CTuneDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin.Slide(IDC_TUNING_SENSITIVITY, 0).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Stored(MachineKey()), (Tuning{0, 0, 0, 100, L""}));
  // Unchanged values too: the page marks every value it writes.
  EXPECT_EQ(console.changes().dwordChangeMask, 0x40000u | 0x80000u | 0x400000u | 0x100000u);
  EXPECT_EQ(console.changes().stringChangeMask, 0x20u);
  EXPECT_EQ(ValueNames(MachineKey()), (std::set<std::wstring>{L"IdleMinutes", L"ExplorerSensitivity", L"IgnoreKernel",
                                                              L"MonitorMouse", L"ExcludeFiles", L"NetBytesSec"}));
  EXPECT_EQ(ValueNames(versionKey), std::set<std::wstring>{}) << "the console machine's own configuration";
  EXPECT_EQ(ValueNames(consoleKey), std::set<std::wstring>{});
}

TEST_F(TuningPageTest, AProfileIsEditedInItsOwnKey) {
  auto sheet = Sheet<CTuneDlg>(console, Target::Profile(L"stdLogoff"));
  SheetSession admin;
  admin.Click(IDC_TUNING_MONITOR_MOUSE).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Stored(ProfileKey(L"stdLogoff")), (Tuning{2, 0, 1, 100, L""}));
}

TEST_F(TuningPageTest, WithoutATargetTheConsoleSaysSoAndWritesNothing) {
  auto sheet = Sheet<CTuneDlg>(console, Target());
  SheetSession admin;
  admin.Look(ShowsNothingStored).PressOK().Answer(IDOK);
  EXPECT_EQ(admin.Run(*sheet), IDOK) << "the message ends the page's OK, not the sheet";
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Registry key name missing");
  EXPECT_EQ(console.changes().dwordChangeMask | console.changes().stringChangeMask, 0u);
  EXPECT_EQ(ValueNames(consoleKey), std::set<std::wstring>{});
}

TEST_F(TuningPageTest, ValuesOfTheWrongKindShowTheDefaultsAndALongExclusionListComesBackWhole) {
  // An exclusion list of several thousand characters, stored without its terminator.
  std::wstring many;
  for (int i = 0; many.size() < 6000; ++i) many += L"program" + std::to_wstring(i) + L".exe,";
  StoreRaw(versionKey, L"ExcludeFiles", REG_SZ, many.data(), static_cast<DWORD>(many.size() * sizeof(wchar_t)));
  Store(versionKey, L"ExplorerSensitivity", L"3");  // a text where a number belongs
  const WORD shortNumber = 1;
  StoreRaw(versionKey, L"MonitorMouse", REG_DWORD, &shortNumber, sizeof shortNumber);
  Store(versionKey, L"IgnoreKernel", L"1");
  Store(versionKey, L"NetBytesSec", 0xFFFFFFF0u);  // above 2^31, still a threshold

  auto sheet = Sheet<CTuneDlg>(setup, Target());
  SheetSession admin;
  admin
      .Look([&](const Controls& page) {
        EXPECT_EQ(page.TrackbarPosition(IDC_TUNING_SENSITIVITY), 2);
        EXPECT_FALSE(page.Checked(IDC_TUNING_MONITOR_MOUSE));
        EXPECT_FALSE(page.Checked(IDC_TUNING_IGNORE_KERNEL));
        EXPECT_EQ(page.Text(IDC_TUNING_NET_BYTES), L"4294967280");
        EXPECT_EQ(page.Text(IDC_TUNING_EXCLUDE_FILES).size(), many.size());
      })
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), (Tuning{2, 0, 0, 0xFFFFFFF0u, many}));

  // A threshold a DWORD cannot hold is the largest one, not what is left after overflow.
  EXPECT_EQ(config::LeadingNumber(L"99999999999"), 0xFFFFFFFFu);
  EXPECT_EQ(config::LeadingNumber(L"-5"), 0u);
  EXPECT_EQ(config::LeadingNumber(L"  64 bytes"), 64u);
  EXPECT_EQ(config::LeadingNumber(L"4294967295x"), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace lullan::test
