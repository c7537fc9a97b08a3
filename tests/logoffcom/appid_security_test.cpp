// The AppID security routines on an AppID of the test's own under
// HKEY_CLASSES_ROOT, removed afterwards.
#include "appid_security.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>

#include "component_registration.h"
#include "registry_fixture.h"
#include "security_text.h"
#include "text_format.h"

namespace lullan::test {
namespace {

class AppIdSecurityTest : public testing::Test {
 protected:
  AppIdSecurityTest() {
    GUID id;
    ::CoCreateGuid(&id);
    appId_ = ClsidString(id);
    keyPath_ = "APPID\\" + appId_;
  }
  ~AppIdSecurityTest() override { DeleteTree(HKEY_CLASSES_ROOT, Widen(keyPath_)); }

  void Store(const char* valueName, const std::vector<BYTE>& data) {
    WriteRaw(HKEY_CLASSES_ROOT, Widen(keyPath_), Widen(valueName).c_str(), REG_BINARY, data.data(),
             static_cast<DWORD>(data.size()));
  }
  DescriptorText Stored(const char* valueName) { return DescribeSelfRelative(ReadClassesBinary(keyPath_, valueName)); }
  static std::string Allow(const char* account) { return "allow 0x1 " + AccountSidText(account); }
  static std::string AllowUser() { return "allow 0x1 " + CurrentUserSidText(); }

  std::string appId_;
  std::string keyPath_;
};

TEST_F(AppIdSecurityTest, ANewAppIdGetsTheOwnerSystemInteractiveAndThePrincipal) {
  ASSERT_EQ(SetAppIdSecurity(appId_, "Everyone"), 0u);
  for (const char* value : {"AccessPermission", "LaunchPermission"}) {
    SCOPED_TRACE(value);
    DescriptorText sd = Stored(value);
    ASSERT_TRUE(sd.valid);
    EXPECT_EQ(sd.revision, 1);
    EXPECT_EQ(sd.owner, CurrentUserSidText());
    EXPECT_EQ(sd.group, CurrentUserSidText());
    EXPECT_EQ(sd.aclRevision, ACL_REVISION);
    EXPECT_EQ(sd.aces,
              (std::vector<std::string>{AllowUser(), Allow("SYSTEM"), Allow("INTERACTIVE"), Allow("Everyone")}));
  }
}

TEST_F(AppIdSecurityTest, GrantingAgainMovesThePrincipalToTheEndWithoutAddingAces) {
  Store("AccessPermission", BuildDescriptor({{ACCESS_ALLOWED_ACE_TYPE, "Everyone"},
                                             {ACCESS_ALLOWED_ACE_TYPE, "SYSTEM"},
                                             {ACCESS_ALLOWED_ACE_TYPE, "Everyone"}}));
  ASSERT_EQ(SetAppIdPermission(appId_, "Everyone", "AccessPermission"), 0u);
  EXPECT_EQ(Stored("AccessPermission").aces,
            (std::vector<std::string>{Allow("SYSTEM"), Allow("Everyone"), Allow("Everyone")}))
      << "only the first ACE for the principal goes";
  EXPECT_EQ(Stored("AccessPermission").owner, CurrentUserSidText()) << "the stored owner stays";
}

TEST_F(AppIdSecurityTest, ADenyAceForThePrincipalIsReplacedByAnAllowAce) {
  Store("LaunchPermission",
        BuildDescriptor({{ACCESS_DENIED_ACE_TYPE, "Everyone"}, {ACCESS_ALLOWED_ACE_TYPE, "INTERACTIVE"}}));
  ASSERT_EQ(SetAppIdPermission(appId_, "Everyone", "LaunchPermission"), 0u);
  EXPECT_EQ(Stored("LaunchPermission").aces, (std::vector<std::string>{Allow("INTERACTIVE"), Allow("Everyone")}));
}

TEST_F(AppIdSecurityTest, APrincipalThatCannotBeLookedUpWritesNothing) {
  EXPECT_EQ(SetAppIdSecurity(appId_, "No Such Account 4711"), static_cast<DWORD>(ERROR_NONE_MAPPED));
  EXPECT_TRUE(ReadClassesBinary(keyPath_, "AccessPermission").empty());
  EXPECT_TRUE(ReadClassesBinary(keyPath_, "LaunchPermission").empty()) << "the launch step is skipped";
}

TEST(PrincipalSid, ALookupThatFailsSaysWhy) {
  std::vector<BYTE> sid;
  EXPECT_EQ(PrincipalSid("No Such Account 4711", sid), static_cast<DWORD>(ERROR_NONE_MAPPED));
  // A machine that cannot be reached fails the first lookup before any size
  // is known; the caller must learn that, not "no such account".
  EXPECT_EQ(PrincipalSid("Everyone", sid, "\\\\NO-SUCH-HOST-4711"), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_TRUE(sid.empty());
  ASSERT_EQ(PrincipalSid("Everyone", sid), 0u);
  EXPECT_EQ(SidText(sid.data()), "S-1-1-0");
}

TEST_F(AppIdSecurityTest, TheKeyPathGetsBracesWhenTheStringLacksThem) {
  std::string bare = appId_.substr(1, appId_.size() - 2);
  EXPECT_EQ(AppIdKeyPath(bare), "APPID\\" + appId_);
  EXPECT_EQ(AppIdKeyPath(appId_), "APPID\\" + appId_);
  ASSERT_EQ(SetAppIdPermission(bare, "Everyone", "AccessPermission"), 0u);
  EXPECT_EQ(Stored("AccessPermission").aces.size(), 4u);
}

// Values someone corrupted: each is treated as missing, so the result is the
// descriptor a new AppID gets.
TEST_F(AppIdSecurityTest, ACorruptedValueIsTreatedAsMissing) {
  std::vector<BYTE> sound = BuildDescriptor({{ACCESS_ALLOWED_ACE_TYPE, "SYSTEM"}});
  auto header = [&](std::vector<BYTE> data, size_t field, DWORD value) {
    std::memcpy(data.data() + field, &value, sizeof value);
    return data;
  };
  SECURITY_DESCRIPTOR_RELATIVE relative;
  std::memcpy(&relative, sound.data(), sizeof relative);
  std::vector<BYTE> shortAce = sound;
  shortAce[relative.Dacl + 8 + 2] = 0xF0;  // the first ACE claims more bytes than the ACL holds
  // The owner moved to the last 12 bytes, claiming 15 sub-authorities: it runs past the value's end.
  std::vector<BYTE> manySubAuthorities =
      header(sound, offsetof(SECURITY_DESCRIPTOR_RELATIVE, Owner), static_cast<DWORD>(sound.size() - 12));
  manySubAuthorities[sound.size() - 12] = SID_REVISION;
  manySubAuthorities[sound.size() - 11] = 15;

  const std::pair<const char*, std::vector<BYTE>> cases[] = {
      {"four bytes", {1, 0, 4, 0x80}},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', ' ', 'a', 'n', 'd', ' ', 'm', 'o', 'r', 'e'}},
      {"owner offset past the end", header(sound, offsetof(SECURITY_DESCRIPTOR_RELATIVE, Owner), 0x7FFFFFF0)},
      {"ACL offset past the end", header(sound, offsetof(SECURITY_DESCRIPTOR_RELATIVE, Dacl), 0xFFFFFFFF)},
      {"ACE larger than its ACL", shortAce},
      {"SID larger than the value", manySubAuthorities},
      {"cut in half", std::vector<BYTE>(sound.begin(), sound.begin() + sound.size() / 2)},
  };
  for (const auto& [label, data] : cases) {
    SCOPED_TRACE(label);
    SecurityValue parsed;
    EXPECT_FALSE(ParseSelfRelative(data.data(), data.size(), parsed));
    Store("AccessPermission", data);
    ASSERT_EQ(SetAppIdPermission(appId_, "Everyone", "AccessPermission"), 0u);
    EXPECT_EQ(Stored("AccessPermission").aces,
              (std::vector<std::string>{AllowUser(), Allow("SYSTEM"), Allow("INTERACTIVE"), Allow("Everyone")}));
  }
  SecurityValue parsed;
  EXPECT_TRUE(ParseSelfRelative(sound.data(), sound.size(), parsed)) << "the sound descriptor itself";
}

}  // namespace
}  // namespace lullan::test
