// The judge of sheet_fuzz: every kind of fault it is there to find in what a
// confirmed sheet wrote is found, with words that say what is wrong, and
// what the sheet did not write is left alone.
#include "sheet_writes.h"

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using bench::NamedValue;
using bench::Opener;
using bench::RandomConfiguration;
using bench::RawValue;

RawValue Dw(DWORD number) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
  return RawValue{REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof number)};
}

RawValue Sz(const std::wstring& text, bool terminated = true) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return RawValue{REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t))};
}

// Everything setup's sheet writes, as a sheet confirmed on a new workstation
// writes it.
std::vector<NamedValue> Confirmed() {
  return {{L"Action", Sz(L"Logoff")},
          {L"ForceExit", Dw(1)},
          {L"IdleMinutes", Dw(30)},
          {L"UseLogFile", Dw(0)},
          {L"LogDir", Sz(L"")},
          {L"RunScript", Dw(0)},
          {L"LogoffScript", Sz(L"C:\\autologoff.bat")},
          {L"UseMutex", Dw(0)},
          {L"IgnoreNet", Dw(0)},
          {L"UseTray", Dw(1)},
          {L"EnableDailyLogoff", Dw(0)},
          {L"OnlyLogoffIfLocked", Dw(0)},
          {L"OnlyLogoffIfScreenSaver", Dw(0)},
          {L"MultiGroupMaxPol", Dw(1)},
          {L"MultiGroupDltPol", Dw(0)},
          {L"MultiGroupValPol", Dw(0)},
          {L"ExplorerSensitivity", Dw(2)},
          {L"IgnoreKernel", Dw(0)},
          {L"MonitorMouse", Dw(0)},
          {L"ExcludeFiles", Sz(L"")},
          {L"NetBytesSec", Dw(100)},
          {L"CustomMessage", Sz(L"")},
          {L"WavFile", Sz(L"")},
          {L"CountdownSeconds", Dw(10)},
          {L"UseCancelDlg", Dw(0)},
          {L"PlaySound", Dw(0)},
          {L"EnableUserCancel", Dw(0)},
          {L"Profile", Sz(L"")},
          {L"PLS", Sz(L"")},
          {L"ProfileLastChanged", Dw(0x00090005)}};
}

// `values` with `name` set to `value` (added when missing) or, for nullopt, removed.
std::vector<NamedValue> With(std::vector<NamedValue> values, const std::wstring& name, std::optional<RawValue> value) {
  std::erase_if(values, [&](const NamedValue& v) { return v.name == name; });
  if (value) values.push_back(NamedValue{name, *value});
  return values;
}

class SheetWritesTest : public ::testing::Test {
 protected:
  ~SheetWritesTest() override { DeleteTree(HKEY_LOCAL_MACHINE, root); }

  // What the fuzz stored before the sheet opened, and what the key holds after.
  std::vector<std::wstring> Judge(Opener opener, RandomConfiguration before, RandomConfiguration after) {
    EXPECT_TRUE(bench::Store(after, key));
    return bench::JudgeWrites(opener, before, key, true);
  }
  static RandomConfiguration Holding(std::vector<NamedValue> values, std::vector<NamedValue> groups = {}) {
    RandomConfiguration c;
    c.values = std::move(values);
    c.hasGroups = true;
    c.groups = std::move(groups);
    return c;
  }

  std::wstring root = FormatText(L"SOFTWARE\\LullanTests\\sheet-writes-%lu", ::GetCurrentProcessId());
  std::wstring key = root + L"\\1.11";
};

TEST_F(SheetWritesTest, EveryRuleTheSheetCanBreakIsFoundAndNamed) {
  struct Case {
    const wchar_t* name;
    std::optional<RawValue> written;
    std::wstring fault;  // empty: none
  };
  const Case cases[] = {
      {L"IdleMinutes", Dw(30), L""},
      {L"IdleMinutes", Dw(0), L"IdleMinutes: 0 is outside 1 to 10080"},
      {L"LogDir", Sz(std::wstring(200, L'd')), L"LogDir: 200 characters, more than 199"},
      {L"Action", Sz(L"Halt"), L"Action: \"Halt\" is no action"},
      {L"CustomMessage", Sz(L"Bye", false), L"CustomMessage: not a terminated REG_SZ: type 1, 6 bytes"},
      {L"ExcludeFiles", Sz(std::wstring(L"a\0b", 3)), L"ExcludeFiles: not a terminated REG_SZ: type 1, 8 bytes"},
      {L"IgnoreKernel", Dw(2), L"IgnoreKernel: 2 is no flag"},
      {L"ExplorerSensitivity", RawValue{REG_BINARY, {2, 0, 0, 0}},
       L"ExplorerSensitivity: not a four-byte REG_DWORD: type 3, 4 bytes"},
      {L"ProfileLastChanged", Dw(0x00180000), L"ProfileLastChanged: 0x00180000 is no time of day"},
      {L"PlaySound", Dw(1), L"PlaySound 1 with WavFile \"\""},
      {L"OnlyLogoffIfLocked", Dw(1), L""},
      {L"Profile", Sz(L"stdLogoff"), L"Profile \"stdLogoff\" without a server (PLS)"},
      // An emptied countdown edit turns the countdown off and is stored as 0.
      {L"CountdownSeconds", Dw(0), L""},
      {L"DailyLogoffTime", Dw(0x00110000),
       L"DailyLogoffTime: written, though no page writes it: REG_DWORD 1114112 (0x00110000)"},
      {L"NetBytesSec", std::nullopt, L"NetBytesSec: removed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::wstring> faults =
        Judge(Opener::Setup, Holding(Confirmed()), Holding(With(Confirmed(), c.name, c.written)));
    EXPECT_EQ(faults, c.fault.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.fault});
  }

  // Both "Only logoff if" flags on, and a countdown of 0 that is still on.
  auto both = With(With(Confirmed(), L"OnlyLogoffIfLocked", Dw(1)), L"OnlyLogoffIfScreenSaver", Dw(1));
  EXPECT_EQ(Judge(Opener::Setup, Holding(Confirmed()), Holding(both)),
            std::vector<std::wstring>{L"OnlyLogoffIfLocked and OnlyLogoffIfScreenSaver are both on"});
  auto countdownOn = With(With(Confirmed(), L"CountdownSeconds", Dw(0)), L"UseCancelDlg", Dw(1));
  EXPECT_EQ(Judge(Opener::Setup, Holding(Confirmed()), Holding(countdownOn)),
            std::vector<std::wstring>{L"CountdownSeconds: 0 is outside 1 to 120"});
}

TEST_F(SheetWritesTest, OnlyWhatTheSheetWroteIsJudgedAndTheGroupsMustStayAsTheyWere) {
  // The console writes Action only when it was changed: a bad one left alone is no fault of the sheet's.
  auto halted = With(Confirmed(), L"Action", Sz(L"Halt"));
  EXPECT_EQ(Judge(Opener::ConsoleMachine, Holding(halted), Holding(halted)), std::vector<std::wstring>{});
  EXPECT_EQ(Judge(Opener::ConsoleMachine, Holding(Confirmed()), Holding(halted)),
            std::vector<std::wstring>{L"Action: written, though no page writes it: REG_SZ of 4 characters \"Halt\""});
  // The console's pages write their values even when the stored ones were bad.
  auto idle = With(Confirmed(), L"IdleMinutes", Dw(0));
  EXPECT_EQ(Judge(Opener::ConsoleMachine, Holding(idle), Holding(idle)),
            std::vector<std::wstring>{L"IdleMinutes: 0 is outside 1 to 10080"});

  const std::vector<NamedValue> groups{{L"mSales", Dw(20)}};
  EXPECT_EQ(Judge(Opener::ProfileManager, Holding(Confirmed(), groups), Holding(Confirmed(), groups)),
            std::vector<std::wstring>{});
  EXPECT_EQ(Judge(Opener::ProfileManager, Holding(Confirmed(), groups), Holding(Confirmed(), {{L"mSales", Dw(21)}})),
            std::vector<std::wstring>{L"Groups: its values changed (1 before, 1 after)"});

  // A value a page writes that is not there at all.
  RandomConfiguration noServer = Holding(With(Confirmed(), L"PLS", std::nullopt));
  ASSERT_TRUE(bench::Store(noServer, key));
  EXPECT_EQ(bench::MissingWrites(Opener::Setup, Holding(Confirmed()), key, true),
            std::vector<std::wstring>{L"PLS: not written"});
  EXPECT_EQ(bench::MissingWrites(Opener::ConsoleEditProfile, Holding(Confirmed()), key, true),
            std::vector<std::wstring>{})
      << "a profile's sheet assigns no profile";
}

}  // namespace
}  // namespace lullan::test
