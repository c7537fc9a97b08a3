// Whatever an administrator or a broken tool leaves in the registry, the
// monitor neither overflows nor crashes; it reads what fits and passes over
// the rest.
#include <gtest/gtest.h>

#include "event_ids.h"
#include "monitor_fixture.h"
#include "monitor_state.h"
#include "registry_fixture.h"

namespace lullan::test {
namespace {

class BadRegistryInputTest : public MonitorTest {};

TEST_F(BadRegistryInputTest, AServerNameTooLongToBeAComputerNameIsTreatedAsMissing) {
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Profile", L"stdLogoff");
  SetLocal(L"PLS", std::wstring(40, L'S'));
  Cycles(4);
  EXPECT_STREQ(profmon::Monitor().profileServer, L"");
  EXPECT_EQ(events.Ids(), std::vector<DWORD>(4, kEventProfileServerMissing));
  // The fourth cycle's comparison has no server to reach.
  EXPECT_EQ(machines.requests, std::vector<std::wstring>{L"\\\\"});
  EXPECT_FALSE(profmon::Monitor().bRefreshRemoteConfig);
}

TEST_F(BadRegistryInputTest, AnOverlongProfileNameIsNotReadAndTheLastGoodOneStays) {
  SetProfile(L"stdLogoff", L"ProfileLastChanged", DWORD{2});
  Assign(L"stdLogoff", L"PROFSRV", 1);
  Cycles(1);
  SetLocal(L"Profile", std::wstring(300, L'p'));
  Cycles(7);
  EXPECT_STREQ(profmon::Monitor().profileName, L"stdLogoff");
  EXPECT_EQ(Connections(), 0u) << "only a good reading moves the stamp check on";

  // Read well again, the check goes on from where it stood.
  SetLocal(L"Profile", L"stdLogoff");
  Cycles(3);
  EXPECT_EQ(Connections(), 2u);

  // An overlong name from the start means no profile at all.
  profmon::Monitor() = profmon::MonitorState{};
  profmon::Monitor().configKeyPath = versionKey;
  SetLocal(L"Profile", std::wstring(300, L'p'));
  Cycles(8);
  EXPECT_STREQ(profmon::Monitor().profileName, L"");
  EXPECT_EQ(Connections(), 2u);
}

TEST_F(BadRegistryInputTest, BinaryDataWhereNumbersOrTextsBelongIsIgnored) {
  SetLocal(L"LogDir", logFolder);
  BYTE junk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  WriteRaw(HKEY_LOCAL_MACHINE, versionKey, L"Debug", REG_BINARY, junk, sizeof junk);
  WriteRaw(HKEY_LOCAL_MACHINE, versionKey, L"UseLogFile", REG_BINARY, junk, 4);
  WriteRaw(HKEY_LOCAL_MACHINE, versionKey, L"Profile", REG_BINARY, junk, sizeof junk);
  WriteRaw(HKEY_LOCAL_MACHINE, versionKey, L"PLS", REG_BINARY, junk, sizeof junk);
  Cycles(4);
  EXPECT_TRUE(profmon::Monitor().debug);
  EXPECT_STREQ(profmon::Monitor().profileName, L"");
  EXPECT_STREQ(profmon::Monitor().profileServer, L"");
  EXPECT_EQ(Connections(), 0u);
}

TEST_F(BadRegistryInputTest, TextsStoredWithoutTerminatorEndWhereTheirDataEnds) {
  auto unterminated = [&](const wchar_t* name, const std::wstring& text) {
    WriteRaw(HKEY_LOCAL_MACHINE, versionKey, name, REG_SZ, text.data(),
             static_cast<DWORD>(text.size() * sizeof(wchar_t)));
  };
  SetProfile(L"stdLogoff", L"ProfileLastChanged", DWORD{2});
  SetProfile(L"stdLogoff", L"IdleMinutes", DWORD{45});
  SetLocal(L"ProfileLastChanged", DWORD{1});
  unterminated(L"LogDir", logFolder);
  unterminated(L"Profile", L"stdLogoff");
  unterminated(L"PLS", L"PROFSRV");
  // Exactly as long as the server name's room: 16 characters, no terminator.
  Cycles(4);
  EXPECT_EQ(machines.requests, (std::vector<std::wstring>{L"\\\\PROFSRV", L"\\\\PROFSRV"}));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, versionKey, L"IdleMinutes"), 45u);
  EXPECT_EQ(Count(LogText(), "GetRegParams: opened log file"), 1);

  unterminated(L"PLS", std::wstring(16, L'X'));
  Cycles(1);
  EXPECT_STREQ(profmon::Monitor().profileServer, L"") << "16 characters do not fit a computer name";
}

TEST_F(BadRegistryInputTest, AStampOfTheWrongSizeOnTheServerFindsNoDifference) {
  SetProfile(L"stdLogoff", L"ProfileLastChanged", L"14:05");
  Assign(L"stdLogoff", L"PROFSRV", 1);
  Cycles(4);
  EXPECT_EQ(Connections(), 1u);
  EXPECT_FALSE(profmon::Monitor().bRefreshRemoteConfig);
  EXPECT_EQ(Count(LogText(), "dbg> error reading registry"), 1);
}

}  // namespace
}  // namespace lullan::test
