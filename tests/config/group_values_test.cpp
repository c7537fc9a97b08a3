#include "group_values.h"

#include <gtest/gtest.h>

#include "packed_time.h"
#include "schema.h"

namespace lullan::config {
namespace {

const wchar_t* KindName(GroupKind kind) { return kind == GroupKind::Minutes ? L"minutes" : L"clock time"; }

TEST(GroupValues, NamesCarryTheKindLetterAndTheGroupName) {
  EXPECT_EQ(GroupValueName(GroupKind::Minutes, L"Domain Users"), L"mDomain Users");
  EXPECT_EQ(GroupValueName(GroupKind::ClockTime, L"Domain Users"), L"dDomain Users");
  // Switching Domain Users to 05:30 PM writes the d value and deletes the m value.
  EXPECT_EQ(GroupValueName(OtherKind(GroupKind::ClockTime), L"Domain Users"), L"mDomain Users");
  EXPECT_EQ(ScanPackedTime(L"05:30 PM"), 0x0011001Eu);
}

TEST(GroupValues, NamesReadBackAsKindAndGroup) {
  for (GroupKind kind : {GroupKind::Minutes, GroupKind::ClockTime}) {
    for (const wchar_t* group : {L"Domain Users", L"m", L"Sales, Europe", L"d-staff"}) {
      auto parsed = ParseGroupValueName(GroupValueName(kind, group));
      ASSERT_TRUE(parsed) << KindName(kind) << " " << group;
      EXPECT_EQ(KindName(parsed->kind), std::wstring(KindName(kind))) << group;
      EXPECT_EQ(parsed->group, group);
    }
  }
}

TEST(GroupValues, NamesWithoutAKnownPrefixOrAGroupAreNotGroups) {
  for (const wchar_t* name : {L"", L"m", L"d", L"x-something", L"MDomain Users", L"Domain Users"}) {
    auto parsed = ParseGroupValueName(name);
    EXPECT_FALSE(parsed) << "\"" << name << "\" read as " << KindName(parsed->kind) << " group " << parsed->group;
  }
}

TEST(GroupValues, MinutesGroupsShareTheIdleMinutesRange) {
  EXPECT_FALSE(IsValidIdleMinutes(0));
  EXPECT_TRUE(IsValidIdleMinutes(1));
  EXPECT_TRUE(IsValidIdleMinutes(10080));
  EXPECT_FALSE(IsValidIdleMinutes(10081));
}

}  // namespace
}  // namespace lullan::config
