#include "schema.h"

#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <set>
#include <string>

#include "action.h"

namespace lullan::config {
namespace {

const Setting& Get(const wchar_t* name) {
  const Setting* s = FindSetting(name);
  if (s == nullptr) ADD_FAILURE() << "no value " << std::wstring(name);
  static const Setting kMissing{};
  return s ? *s : kMissing;
}

TEST(Schema, HoldsEveryValueOfTheVersionKeyOnceWithItsType) {
  const std::set<std::wstring> texts = {L"Action",       L"LogoffScript", L"LogDir", L"CustomMessage", L"WavFile",
                                        L"ExcludeFiles", L"Profile",      L"PLS",    L"PrevUser",      L"InstallDir"};
  // clang-format off
  const std::set<std::wstring> numbers = {
      L"IdleMinutes", L"ForceExit", L"RunScript", L"UseLogFile", L"UseMutex", L"IgnoreNet", L"UseTray",
      L"EnableDailyLogoff", L"DailyLogoffTime", L"OnlyLogoffIfLocked", L"OnlyLogoffIfScreenSaver",
      L"MultiGroupMaxPol", L"MultiGroupDltPol", L"MultiGroupValPol", L"UseCancelDlg", L"CountdownSeconds",
      L"EnableUserCancel", L"PlaySound", L"ExplorerSensitivity", L"NetBytesSec", L"IgnoreKernel",
      L"MonitorMouse", L"ProfileLastChanged", L"sims$", L"Debug"};
  // clang-format on
  std::map<std::wstring, int> seen;
  for (const Setting& s : Settings()) {
    ++seen[s.name];
    DWORD expected = texts.contains(s.name) ? REG_SZ : numbers.contains(s.name) ? REG_DWORD : REG_NONE;
    EXPECT_EQ(s.RegistryType(), expected) << std::wstring(s.name) << " (REG_NONE: not a value of the version key)";
  }
  for (const auto& names : {texts, numbers}) {
    for (const std::wstring& name : names) EXPECT_EQ(seen[name], 1) << name << " appears that often";
  }
  // Registry names match without regard to case.
  EXPECT_EQ(FindSetting(L"idleminutes"), FindSetting(kIdleMinutes));
  EXPECT_EQ(FindSetting(L"IdleMinute"), nullptr);
}

TEST(Schema, ChangeBitsAreSingleUniqueBitsThatLeaveNoGap) {
  DWORD dwordBits = kGroupsChangeBit.bit;
  DWORD stringBits = 0;
  for (const Setting& s : Settings()) {
    std::wstring name = s.name;
    if (s.change.mask == ChangeMask::None) {
      // Only the profile stamp and the values nobody edits go without a bit.
      EXPECT_TRUE(s.pages == kNoPage || name == kProfileLastChanged) << name;
      continue;
    }
    EXPECT_NE(s.pages, kNoPage) << name;
    EXPECT_EQ(std::popcount(s.change.bit), 1) << name << " bit " << s.change.bit;
    EXPECT_EQ(s.change.mask == ChangeMask::String, s.IsText()) << name;
    DWORD& used = s.change.mask == ChangeMask::Dword ? dwordBits : stringBits;
    EXPECT_EQ(used & s.change.bit, 0u) << name << " shares bit " << s.change.bit;
    used |= s.change.bit;
    EXPECT_EQ(FindByChangeBit(s.change.mask, s.change.bit), &s) << name;
  }
  EXPECT_EQ(dwordBits, 0x7FFFFFu);
  EXPECT_EQ(stringBits, 0xFFu);
  EXPECT_EQ(FindByChangeBit(ChangeMask::Dword, kGroupsChangeBit.bit), nullptr);
  // Bits that are easy to swap, and that the console's copy-back relies on.
  EXPECT_STREQ(FindByChangeBit(ChangeMask::Dword, 0x4000)->name, kCountdownSeconds);
  EXPECT_STREQ(FindByChangeBit(ChangeMask::Dword, 0x8000)->name, kUseCancelDlg);
  EXPECT_STREQ(FindByChangeBit(ChangeMask::String, 0x2)->name, kLogDir);
  EXPECT_STREQ(FindByChangeBit(ChangeMask::String, 0x4)->name, kLogoffScript);
}

TEST(Schema, StandardProfilesGetThirtyMinutesTrayExplorerOneForceExitAndZeros) {
  std::map<std::wstring, DWORD> written;
  for (const Setting& s : Settings()) {
    if (s.standardNumber) written[s.name] = *s.standardNumber;
  }
  EXPECT_EQ(written.size(), 19u);
  for (const auto& [name, data] : written) {
    DWORD expected = name == kIdleMinutes                                                       ? 30
                     : (name == kUseTray || name == kExplorerSensitivity || name == kForceExit) ? 1
                                                                                                : 0;
    EXPECT_EQ(data, expected) << name;
  }
  EXPECT_EQ(written.count(kSims), 1u);
  EXPECT_EQ(written.count(kDailyLogoffTime), 0u);
  EXPECT_TRUE(Get(kAction).standardPerProfile);
  // The countdown of 0 the profiles carry reads as 10.
  EXPECT_EQ(ReadNumber(Get(kCountdownSeconds), StoredDword{REG_DWORD, 0}), 10u);
}

TEST(Schema, NothingStoredShowsTheDefaults) {
  EXPECT_EQ(ReadNumber(Get(kIdleMinutes), std::nullopt), 30u);
  EXPECT_EQ(ReadNumber(Get(kForceExit), std::nullopt), 1u);
  EXPECT_EQ(ReadNumber(Get(kUseTray), std::nullopt), 1u);
  EXPECT_EQ(ReadNumber(Get(kRunScript), std::nullopt), 0u);
  EXPECT_EQ(ReadNumber(Get(kMultiGroupMaxPol), std::nullopt), 1u);
  EXPECT_EQ(ReadNumber(Get(kCountdownSeconds), std::nullopt), 10u);
  EXPECT_EQ(ReadNumber(Get(kExplorerSensitivity), std::nullopt), 2u);
  EXPECT_EQ(ReadNumber(Get(kNetBytesSec), std::nullopt), 100u);
  EXPECT_EQ(ReadText(Get(kLogoffScript), std::nullopt), L"C:\\autologoff.bat");
  EXPECT_EQ(ReadText(Get(kLogDir), std::nullopt), L"");
  EXPECT_EQ(PageAction(ReadText(Get(kAction), std::nullopt)), Action::Logoff);
}

TEST(Schema, OutOfRangeMinutesAndSecondsReadAsTheDefault) {
  const Setting& minutes = Get(kIdleMinutes);
  EXPECT_EQ(ReadNumber(minutes, StoredDword{REG_DWORD, 0}), 30u);
  EXPECT_EQ(ReadNumber(minutes, StoredDword{REG_DWORD, 10081}), 30u);
  EXPECT_EQ(ReadNumber(minutes, StoredDword{REG_DWORD, 10080}), 10080u);
  EXPECT_EQ(ReadNumber(minutes, StoredDword{REG_DWORD, 1}), 1u);
  const Setting& seconds = Get(kCountdownSeconds);
  EXPECT_EQ(ReadNumber(seconds, StoredDword{REG_DWORD, 121}), 10u);
  EXPECT_EQ(ReadNumber(seconds, StoredDword{REG_DWORD, 120}), 120u);
  EXPECT_EQ(ReadNumber(seconds, StoredDword{REG_BINARY, 0xFFFFFFFF}), 10u);
}

TEST(Schema, OnlyTheListedNumbersAreTakenWhateverTheirType) {
  for (const Setting& s : Settings()) {
    if (s.IsText()) continue;
    std::wstring name = s.name;
    bool listed = name == kMultiGroupMaxPol || name == kMultiGroupDltPol || name == kMultiGroupValPol ||
                  name == kUseCancelDlg || name == kEnableUserCancel || name == kCountdownSeconds ||
                  name == kNetBytesSec;
    DWORD read = ReadNumber(s, StoredDword{REG_BINARY, 1});
    EXPECT_EQ(read, listed ? 1u : s.absentNumber) << name;
  }
  // ForceExit is off only for a REG_DWORD zero.
  EXPECT_EQ(ReadNumber(Get(kForceExit), StoredDword{REG_BINARY, 0}), 1u);
  EXPECT_EQ(ReadNumber(Get(kForceExit), StoredDword{REG_SZ, 0}), 1u);
  EXPECT_EQ(ReadNumber(Get(kForceExit), StoredDword{REG_DWORD, 0}), 0u);
}

TEST(Schema, TextsReadAndStoreWithinTheirLimits) {
  EXPECT_EQ(ReadText(Get(kLogoffScript), L""), L"C:\\autologoff.bat");
  EXPECT_EQ(ReadText(Get(kLogoffScript), L"D:\\bye.cmd"), L"D:\\bye.cmd");
  EXPECT_EQ(ReadText(Get(kCustomMessage), L""), L"");
  std::wstring longText(2000, L'x');
  EXPECT_EQ(CutToLimit(Get(kCustomMessage), longText).size(), 127u);
  EXPECT_EQ(CutToLimit(Get(kProfile), longText).size(), 63u);
  EXPECT_EQ(CutToLimit(Get(kPLS), longText).size(), 15u);
  EXPECT_EQ(CutToLimit(Get(kWavFile), longText).size(), 259u);
  EXPECT_EQ(CutToLimit(Get(kExcludeFiles), longText).size(), 2000u);
  EXPECT_EQ(CutToLimit(Get(kCustomMessage), L"Saving your work?"), L"Saving your work?");
  // The longest Action text fits the Action limit.
  EXPECT_EQ(CutToLimit(Get(kAction), kActionShutdown), kActionShutdown);
}

}  // namespace
}  // namespace lullan::config
