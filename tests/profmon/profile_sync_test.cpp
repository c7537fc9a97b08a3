// The monitor following a shared profile: when it compares the stamps, what
// it copies and what it reports.
#include <gtest/gtest.h>

#include "event_ids.h"
#include "monitor_fixture.h"
#include "monitor_state.h"
#include "registry_fixture.h"

namespace lullan::test {
namespace {

class ProfileSyncTest : public MonitorTest {
 protected:
  // A profile "stdLogoff" on PROFSRV stamped `serverStamp`, assigned to this
  // workstation with `localStamp`.
  void AssignedProfile(DWORD serverStamp, DWORD localStamp) {
    SetProfile(L"stdLogoff", L"ProfileLastChanged", serverStamp);
    SetProfile(L"stdLogoff", L"IdleMinutes", DWORD{45});
    SetProfile(L"stdLogoff", L"Action", L"Shutdown");
    Assign(L"stdLogoff", L"PROFSRV", localStamp);
  }
  std::optional<DWORD> LocalNumber(const wchar_t* name) { return ReadDword(HKEY_LOCAL_MACHINE, versionKey, name); }
  std::optional<std::wstring> LocalText(const wchar_t* name) {
    return ReadString(HKEY_LOCAL_MACHINE, versionKey, name);
  }
};

TEST_F(ProfileSyncTest, DifferentStampsAreFirstSeenInTheFourthCycleAndCopiedThenAndEveryCycleAfter) {
  AssignedProfile(0x000E0005, 0x00090000);

  Cycles(3);
  EXPECT_EQ(Connections(), 0u) << "no comparison before the fourth cycle";
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), std::nullopt);

  Cycles(1);
  EXPECT_EQ(Connections(), 2u) << "the comparison and the copy, each with its own connection";
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), 45u);
  EXPECT_EQ(LocalText(L"Action"), L"Shutdown");
  EXPECT_EQ(LocalNumber(L"ProfileLastChanged"), 0x000E0005u) << "a finished copy leaves the stamps equal";

  // Someone edits the workstation by hand: the next cycle copies again,
  // without comparing stamps.
  SetLocal(L"IdleMinutes", DWORD{10});
  Cycles(1);
  EXPECT_EQ(Connections(), 3u);
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), 45u);
  EXPECT_TRUE(profmon::Monitor().bRefreshRemoteConfig);
  for (const std::wstring& asked : machines.requests) EXPECT_EQ(asked, L"\\\\PROFSRV");
  EXPECT_TRUE(events.events.empty());
  EXPECT_EQ(Count(LogText(), "dbg> bRefreshRemoteConfig = true"), 2);
}

// Stamps are times of day, not a count that only grows: a profile changed
// at 09:00 after the workstation took it at 14:05 the day before is news.
TEST_F(ProfileSyncTest, AProfileStampedEarlierInTheDayThanTheWorkstationIsCopiedToo) {
  AssignedProfile(0x00090000, 0x000E0005);
  Cycles(4);
  EXPECT_EQ(Connections(), 2u) << "the comparison and the copy";
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), 45u);
  EXPECT_EQ(LocalNumber(L"ProfileLastChanged"), 0x00090000u);
}

TEST_F(ProfileSyncTest, EqualStampsCopyNothingAndAreComparedEveryFourthCycle) {
  AssignedProfile(0x000E0005, 0x000E0005);
  Cycles(4);
  EXPECT_EQ(Connections(), 1u);
  Cycles(3);
  EXPECT_EQ(Connections(), 1u);
  Cycles(1);
  EXPECT_EQ(Connections(), 2u);
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), std::nullopt);
  EXPECT_FALSE(profmon::Monitor().bRefreshRemoteConfig);
}

TEST_F(ProfileSyncTest, WithoutALocalStampNoDifferenceIsEverFound) {
  AssignedProfile(0x000E0005, 0);
  DeleteTree(HKEY_LOCAL_MACHINE, versionKey);
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Profile", L"stdLogoff");
  SetLocal(L"PLS", L"PROFSRV");
  Cycles(8);
  EXPECT_EQ(Connections(), 2u);
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), std::nullopt);
}

TEST_F(ProfileSyncTest, AServerNameWithLeadingBackslashesReachesTheSameComputer) {
  AssignedProfile(2, 1);
  SetLocal(L"PLS", L"\\\\PROFSRV");
  Cycles(4);
  EXPECT_EQ(machines.requests, (std::vector<std::wstring>{L"\\\\PROFSRV", L"\\\\PROFSRV"}));
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), 45u);
}

TEST_F(ProfileSyncTest, AnEmptyProfileMeansNoComparisonNoCopyAndNoError) {
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Profile", L"");
  SetLocal(L"PLS", L"PROFSRV");
  Cycles(8);
  EXPECT_EQ(Connections(), 0u);
  EXPECT_TRUE(events.events.empty());
}

TEST_F(ProfileSyncTest, AProfileWithoutServerIsReportedInEveryCycle) {
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Profile", L"stdLogoff");
  Cycles(3);
  EXPECT_EQ(events.Ids(), std::vector<DWORD>(3, kEventProfileServerMissing));
  EXPECT_EQ(events.events[0].type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(Count(LogText(), "Error: configuration missing remote server name!"), 3);
  EXPECT_EQ(Connections(), 0u);
}

TEST_F(ProfileSyncTest, ACopyThatCannotStartIsReportedInEveryCycleAndRetried) {
  AssignedProfile(2, 1);
  Cycles(4);
  machines.FailMachine(L"PROFSRV", ERROR_BAD_NETPATH);
  Cycles(2);
  EXPECT_EQ(events.Ids(), std::vector<DWORD>(2, kEventProfileCopyFailed));
  std::string log = LogText();
  EXPECT_EQ(Count(log, "Error reading config data from remote server"), 2) << log;
  EXPECT_EQ(Count(log, "dbg> error 53 connecting to server \\\\PROFSRV"), 2) << log;

  // The profile key gone from the server fails the same way.
  machines.FailMachine(L"PROFSRV", ERROR_SUCCESS);
  DeleteTree(server, ServerProfilePath(L"stdLogoff"));
  Cycles(1);
  EXPECT_EQ(events.Ids().size(), 3u);
  EXPECT_EQ(
      Count(LogText(), "dbg> error opening remote key SOFTWARE\\Fennick\\Lullan\\1.11\\Tarnel\\Profiles\\stdLogoff"),
      1);
}

TEST_F(ProfileSyncTest, GroupsMergeIntoTheWorkstationsGroupsOneLevelDeep) {
  AssignedProfile(2, 1);
  std::wstring serverGroups = ServerProfilePath(L"stdLogoff") + L"\\Groups";
  WriteDword(server, serverGroups, L"mDomain Users", 45);
  WriteDword(server, serverGroups, L"dNight Shift", 0x0011001E);
  WriteDword(server, serverGroups + L"\\Deeper", L"mIgnored", 5);
  std::wstring localGroups = versionKey + L"\\Groups";
  WriteDword(HKEY_LOCAL_MACHINE, localGroups, L"mDomain Users", 10);
  WriteDword(HKEY_LOCAL_MACHINE, localGroups, L"mLocal Only", 20);

  Cycles(4);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, localGroups, L"mDomain Users"), 45u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, localGroups, L"dNight Shift"), 0x0011001Eu);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, localGroups, L"mLocal Only"), 20u) << "local groups stay";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, localGroups + L"\\Deeper"));
}

TEST_F(ProfileSyncTest, ValuesOfAnySizeArriveWhole) {
  AssignedProfile(2, 1);
  std::wstring excludeFiles;
  for (int i = 0; excludeFiles.size() < 2000; ++i) excludeFiles += L"program" + std::to_wstring(i) + L".exe,";
  excludeFiles.resize(2000);
  std::wstring message(1500, L'm');
  SetProfile(L"stdLogoff", L"ExcludeFiles", excludeFiles);
  WriteString(server, ServerProfilePath(L"stdLogoff") + L"\\Groups", L"Long", message);
  std::vector<BYTE> blob(5000, 0xAB);
  WriteRaw(server, ServerProfilePath(L"stdLogoff"), L"Blob", REG_BINARY, blob.data(), 5000);

  Cycles(4);
  EXPECT_EQ(LocalText(L"ExcludeFiles"), excludeFiles);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, versionKey + L"\\Groups", L"Long"), message);
  std::optional<ValueInfo> copiedBlob = QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, L"Blob");
  ASSERT_TRUE(copiedBlob);
  EXPECT_EQ(copiedBlob->size, 5000u);
}

// A profile server is trusted with configuration, not with the monitor's
// memory: what it reports as a value's size decides no allocation beyond 1 MiB.
TEST_F(ProfileSyncTest, AValueOverOneMebibyteIsSkippedWithALogLineAndTheRestIsCopied) {
  AssignedProfile(2, 1);
  const std::wstring profile = ServerProfilePath(L"stdLogoff");
  const std::vector<BYTE> atTheLimit(1 << 20, 0x5A);
  const std::vector<BYTE> tooLarge(atTheLimit.size() + 1, 0xA5);
  WriteRaw(server, profile, L"AtTheLimit", REG_BINARY, atTheLimit.data(), static_cast<DWORD>(atTheLimit.size()));
  WriteRaw(server, profile, L"TooLarge", REG_BINARY, tooLarge.data(), static_cast<DWORD>(tooLarge.size()));
  WriteRaw(server, profile + L"\\Groups", L"TooLarge", REG_BINARY, tooLarge.data(),
           static_cast<DWORD>(tooLarge.size()));
  WriteDword(server, profile + L"\\Groups", L"mDomain Users", 45);

  Cycles(4);
  EXPECT_EQ(LocalNumber(L"IdleMinutes"), 45u);
  EXPECT_EQ(QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, L"AtTheLimit").value_or(ValueInfo{0, 0}).size,
            atTheLimit.size());
  EXPECT_FALSE(QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, L"TooLarge"));
  EXPECT_FALSE(QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey + L"\\Groups", L"TooLarge"));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, versionKey + L"\\Groups", L"mDomain Users"), 45u);
  const std::string log = LogText();
  EXPECT_EQ(Count(log,
                  "Error: value TooLarge of SOFTWARE\\Fennick\\Lullan\\1.11\\Tarnel\\Profiles\\stdLogoff on "
                  "\\\\PROFSRV is larger than 1 MiB; not copied"),
            1)
      << log;
  EXPECT_EQ(Count(log,
                  "Error: value TooLarge of SOFTWARE\\Fennick\\Lullan\\1.11\\Tarnel\\Profiles\\stdLogoff\\Groups on "
                  "\\\\PROFSRV is larger than 1 MiB; not copied"),
            1)
      << log;
  EXPECT_TRUE(events.events.empty()) << "the copy as a whole went through";
}

TEST_F(ProfileSyncTest, TextsAreWrittenWithOneByteMoreAndNumbersWithFour) {
  AssignedProfile(2, 1);
  Cycles(4);
  std::optional<ValueInfo> action = QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, L"Action");
  ASSERT_TRUE(action);
  EXPECT_EQ(action->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(action->size, sizeof(L"Shutdown") + 1);
  std::optional<ValueInfo> idle = QueryValueInfo(HKEY_LOCAL_MACHINE, versionKey, L"IdleMinutes");
  ASSERT_TRUE(idle);
  EXPECT_EQ(idle->size, 4u);
}

}  // namespace
}  // namespace lullan::test
