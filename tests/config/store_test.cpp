// Store access: which key a target names, how pages open keys, the change
// masks and their copy-back tables, and reading values that are not what the
// schema says they are.
#include <gtest/gtest.h>

#include <vector>

#include "change_masks.h"
#include "config_fixture.h"
#include "config_key.h"
#include "error_text.h"
#include "registry_fixture.h"

namespace lullan::test {
namespace {

using config::ConfigKey;
using config::ReadMode;
using config::SettingOf;
using config::Target;
using config::WriteMode;

class StoreTest : public ConfigTest {};

TEST_F(StoreTest, ATargetNamesAProfileKeyOrALocalCopyKeyUnderTheConsoleKey) {
  struct Case {
    Target target;
    std::wstring key;
  };
  const Case cases[] = {
      {Target(L"*Finance"), consoleKey + L"\\Profiles\\Finance"},
      {Target::Profile(L"stdLogoff"), consoleKey + L"\\Profiles\\stdLogoff"},
      {Target(L"PC-017"), consoleKey + L"\\PC-017"},
      // The asterisk alone names a profile without a name.
      {Target(L"*"), consoleKey + L"\\Profiles\\"},
      // No machine at all: an empty path, not the console key itself.
      {Target(), L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(console.KeyPath(c.target), c.key) << "target \"" << c.target.text() << "\"";
    EXPECT_EQ(setup.KeyPath(c.target), versionKey) << "setup always edits its version key";
  }
  EXPECT_EQ(Target::Profile(L"Finance").text(), L"*Finance");
  EXPECT_EQ(Target(L"*Finance").Name(), L"Finance");
  EXPECT_FALSE(Target(L"PC-017").IsProfile());
}

TEST_F(StoreTest, TheCopyBackWalksEachMaskFromItsLowestBitAndSkipsTheGroupsBit) {
  auto names = [](config::ChangeMask mask) {
    std::vector<std::wstring> rows;
    for (const config::Setting* s : config::CopyBackTable(mask)) rows.push_back(s->name);
    return rows;
  };
  EXPECT_EQ(names(config::ChangeMask::Dword), (std::vector<std::wstring>{L"ForceExit",
                                                                         L"IdleMinutes",
                                                                         L"UseLogFile",
                                                                         L"RunScript",
                                                                         L"UseMutex",
                                                                         L"IgnoreNet",
                                                                         L"UseTray",
                                                                         L"EnableDailyLogoff",
                                                                         L"OnlyLogoffIfLocked",
                                                                         L"OnlyLogoffIfScreenSaver",
                                                                         L"MultiGroupMaxPol",
                                                                         L"MultiGroupDltPol",
                                                                         L"MultiGroupValPol",
                                                                         L"CountdownSeconds",
                                                                         L"UseCancelDlg",
                                                                         L"PlaySound",
                                                                         L"EnableUserCancel",
                                                                         L"ExplorerSensitivity",
                                                                         L"IgnoreKernel",
                                                                         L"NetBytesSec",
                                                                         L"DailyLogoffTime",
                                                                         L"MonitorMouse"}));
  EXPECT_EQ(names(config::ChangeMask::String),
            (std::vector<std::wstring>{L"Action", L"LogDir", L"LogoffScript", L"CustomMessage", L"WavFile",
                                       L"ExcludeFiles", L"Profile", L"PLS"}));

  config::ChangeMasks masks;
  masks.Mark(SettingOf(config::kIdleMinutes).change);
  masks.Mark(config::kGroupsChangeBit);
  masks.Mark(SettingOf(config::kPLS).change);
  masks.Mark(SettingOf(config::kProfileLastChanged).change);  // no bit: nothing happens
  EXPECT_EQ(masks.dwordChangeMask, 0x402u);
  EXPECT_EQ(masks.stringChangeMask, 0x80u);
  EXPECT_TRUE(masks.IsMarked(config::kGroupsChangeBit));
  masks.Clear();
  EXPECT_EQ(masks.dwordChangeMask | masks.stringChangeMask, 0u);
  EXPECT_EQ(setup.masks(), nullptr) << "setup keeps no masks";
  setup.MarkChanged(SettingOf(config::kIdleMinutes).change);  // and marking there does nothing
}

TEST_F(StoreTest, PagesOpenKeysTheirWayAndSayWhenTheyCannot) {
  DialogAnswerer boxes;
  const std::wstring missing = consoleKey + L"\\PC-404";

  // Create-then-read makes the key and reads nothing from it; no message.
  EXPECT_FALSE(ConfigKey::ForReading(nullptr, missing, ReadMode::CreateThenReadIfExisting));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, missing));
  EXPECT_TRUE(ConfigKey::ForReading(nullptr, missing, ReadMode::CreateThenReadIfExisting)) << "it exists now";
  // Create-then-write likewise writes into existing keys only.
  EXPECT_FALSE(ConfigKey::ForWriting(nullptr, missing + L"\\New", WriteMode::CreateThenWriteIfExisting));
  EXPECT_TRUE(ConfigKey::ForWriting(nullptr, missing + L"\\New", WriteMode::CreateThenWriteIfExisting));
  EXPECT_TRUE(ConfigKey::ForWriting(nullptr, missing + L"\\Fresh", WriteMode::CreateAndWrite));
  // An empty path would be HKEY_LOCAL_MACHINE itself: it opens nothing, silently.
  EXPECT_FALSE(ConfigKey::ForWriting(nullptr, L"", WriteMode::CreateAndWrite));
  EXPECT_FALSE(ConfigKey::ForReading(nullptr, L"", ReadMode::OpenExisting));
  EXPECT_TRUE(boxes.seen().empty()) << boxes.Describe();

  // Open-existing fails on a key that is not there, with the path in the message.
  EXPECT_FALSE(ConfigKey::ForReading(nullptr, missing + L"\\Gone", ReadMode::OpenExisting));
  EXPECT_FALSE(ConfigKey::ForWriting(nullptr, missing + L"\\Gone", WriteMode::OpenExisting));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, missing + L"\\Gone"));
  ASSERT_EQ(boxes.seen().size(), 2u) << boxes.Describe();
  for (const SeenDialog& box : boxes.seen()) {
    EXPECT_EQ(box.Text(), L"Can't open registry key " + missing + L"\\Gone");
    EXPECT_EQ(box.caption, L"Config test");
  }
}

TEST_F(StoreTest, ValuesOfTheWrongTypeOrSizeReadAsAbsentAndTextsAreBounded) {
  const DWORD four = 4000;
  const WORD two = 7;
  const unsigned long long eight = 3;
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  const wchar_t embedded[] = L"ab\0cd";
  const BYTE oddBytes[] = {'x', 0, 'y', 0, 'z'};
  StoreRaw(versionKey, L"NetBytesSec", REG_BINARY, &four, sizeof four);          // taken whatever its type
  StoreRaw(versionKey, L"ExplorerSensitivity", REG_BINARY, &four, sizeof four);  // only a REG_DWORD counts
  StoreRaw(versionKey, L"IgnoreKernel", REG_DWORD, &two, sizeof two);            // too short to be a DWORD
  StoreRaw(versionKey, L"CountdownSeconds", REG_QWORD, &eight, sizeof eight);    // too long
  Store(versionKey, L"MultiGroupMaxPol", DWORD{7});                              // outside 0..1
  Store(versionKey, L"IdleMinutes", DWORD{10081});
  StoreRaw(versionKey, L"LogDir", REG_SZ, unterminated, sizeof unterminated);
  StoreRaw(versionKey, L"WavFile", REG_SZ, embedded, sizeof embedded);
  StoreRaw(versionKey, L"CustomMessage", REG_SZ, oddBytes, sizeof oddBytes);
  Store(versionKey, L"ExcludeFiles", DWORD{1});  // a number where a text belongs
  StoreRaw(versionKey, L"Profile", REG_MULTI_SZ, L"a\0b\0", 10);
  Store(versionKey, L"LogoffScript", std::wstring(300, L's'));
  Store(versionKey, L"PLS", std::wstring(5000, L'p'));

  ConfigKey key = ConfigKey::ForReading(nullptr, versionKey, ReadMode::OpenExisting);
  ASSERT_TRUE(key);
  EXPECT_EQ(key.ReadNumber(SettingOf(L"NetBytesSec")), 4000u);
  EXPECT_EQ(key.ReadNumber(SettingOf(L"ExplorerSensitivity")), 2u);
  EXPECT_FALSE(key.ReadFlag(SettingOf(L"IgnoreKernel")));
  EXPECT_EQ(key.QueryDword(L"IgnoreKernel"), std::nullopt);
  EXPECT_EQ(key.ReadNumber(SettingOf(L"CountdownSeconds")), 10u);
  EXPECT_EQ(key.ReadNumber(SettingOf(L"MultiGroupMaxPol")), 1u) << "a policy outside its range reads as its default";
  EXPECT_EQ(key.ReadNumber(SettingOf(L"IdleMinutes")), 30u);
  EXPECT_EQ(key.ReadText(SettingOf(L"LogDir")), L"abc") << "no terminator stored";
  EXPECT_EQ(key.ReadText(SettingOf(L"WavFile")), L"ab") << "a text ends at its first null";
  EXPECT_EQ(key.ReadText(SettingOf(L"CustomMessage")), L"xy") << "an odd last byte is no character";
  EXPECT_EQ(key.ReadText(SettingOf(L"ExcludeFiles")), L"");
  EXPECT_EQ(key.ReadText(SettingOf(L"Profile")), L"");
  EXPECT_EQ(key.ReadText(SettingOf(L"LogoffScript")), std::wstring(199, L's'));
  EXPECT_EQ(key.ReadText(SettingOf(L"PLS")), std::wstring(15, L'p'));
  EXPECT_EQ(key.QueryText(L"PLS")->size(), 5000u) << "without a limit, the whole text";
  EXPECT_EQ(key.ReadText(SettingOf(L"Action")), L"Logoff") << "absent";
}

TEST_F(StoreTest, WrittenTextsCountTheirTerminatorAndKeepToTheirLimit) {
  Store(versionKey, L"Placeholder", DWORD{0});
  ConfigKey key = ConfigKey::ForWriting(nullptr, versionKey, WriteMode::OpenExisting);
  ASSERT_TRUE(key);
  EXPECT_EQ(key.Write(SettingOf(L"CustomMessage"), std::wstring(200, L'm')), ERROR_SUCCESS);
  EXPECT_EQ(key.Write(SettingOf(L"LogDir"), L""), ERROR_SUCCESS);
  EXPECT_EQ(key.Write(SettingOf(L"IdleMinutes"), 45), ERROR_SUCCESS);
  EXPECT_EQ(Text(versionKey, L"CustomMessage"), std::wstring(127, L'm'));
  auto info = QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, L"LogDir");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(info->size, sizeof(wchar_t)) << "an empty text is the terminator alone";
  info = QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, L"IdleMinutes");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(info->size, 4u);
}

TEST_F(StoreTest, ErrorsAreReportedWithTheTitleTheCodeAndTheSystemsText) {
  DialogAnswerer boxes;
  config::ReportError(nullptr, ERROR_FILE_NOT_FOUND, L"setting reg val");
  ::SetLastError(ERROR_ACCESS_DENIED);
  setup.ReportError(nullptr, 0, L"RegSetValueEx");
  ASSERT_EQ(boxes.seen().size(), 2u) << boxes.Describe();
  EXPECT_EQ(boxes.seen()[0].Text(), L"Config test error 2: setting reg val\n" + SystemErrorText(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(boxes.seen()[1].Text(), L"Config test error 5: RegSetValueEx\n" + SystemErrorText(ERROR_ACCESS_DENIED))
      << "a code of 0 stands for the last error";
  EXPECT_FALSE(SystemErrorText(ERROR_ACCESS_DENIED).empty());
}

TEST_F(StoreTest, TheConsoleKnowsItsDomainControllerWhileSetupAsksTheDomainEachTime) {
  EXPECT_EQ(console.FindDomainController().name, L"\\\\DC01");
  EXPECT_EQ(console.FindDomainController().status, static_cast<NET_API_STATUS>(NERR_Success));
  config::ConsoleHost lonely(consoleKey);
  EXPECT_NE(lonely.FindDomainController().status, static_cast<NET_API_STATUS>(NERR_Success));
  // This prefix belongs to no domain, so the real NetGetAnyDCName finds none.
  config::ConfigHost::DomainController none = setup.FindDomainController();
  EXPECT_NE(none.status, static_cast<NET_API_STATUS>(NERR_Success));
  EXPECT_TRUE(none.name.empty());
}

}  // namespace
}  // namespace lullan::test
