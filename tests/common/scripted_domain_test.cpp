// The scripted domain: the Groups page, the console and setup trust it to
// page and to allocate as the LAN Manager calls do.
#include <gtest/gtest.h>

#include <cwchar>

#include "fake_platform.h"
#include "handles.h"
#include "scripted_domain.h"

namespace lullan::test {
namespace {

// Every string of an answer lies inside the answer's one block.
void ExpectInsideBlock(const void* block, const wchar_t* text) {
  ASSERT_NE(text, nullptr);
  DWORD size = 0;
  ASSERT_EQ(::NetApiBufferSize(const_cast<void*>(block), &size), static_cast<DWORD>(NERR_Success));
  const BYTE* begin = static_cast<const BYTE*>(block);
  const BYTE* at = reinterpret_cast<const BYTE*>(text);
  EXPECT_TRUE(at >= begin && at + (std::wcslen(text) + 1) * sizeof(wchar_t) <= begin + size)
      << "\"" << testing::PrintToString(std::wstring(text)) << "\" lies outside its answer's block";
}

void Free(void* block) { EXPECT_EQ(::NetApiBufferFree(block), static_cast<DWORD>(NERR_Success)); }

// The Groups page's loop: level 3 from index 0, 100 entries, on until the last page.
std::vector<std::wstring> ListGroups(DWORD preferredSize) {
  std::vector<std::wstring> names;
  DWORD index = 0;
  NET_API_STATUS status;
  do {
    DWORD returned = 0;
    void* block = nullptr;
    status = platform().domain->QueryDisplayInformation(L"\\\\DC1", 3, index, 100, preferredSize, &returned, &block);
    const auto* groups = static_cast<const NET_DISPLAY_GROUP*>(block);
    for (DWORD i = 0; i < returned; ++i) {
      ExpectInsideBlock(block, groups[i].grpi3_name);
      names.push_back(groups[i].grpi3_name);
    }
    if (returned > 0) index = groups[returned - 1].grpi3_next_index;
    if (block) Free(block);
  } while (status == ERROR_MORE_DATA);
  EXPECT_EQ(status, static_cast<DWORD>(NERR_Success));
  return names;
}

TEST(ScriptedDomain, PagesGroupsSoThatFollowingTheNextIndexListsEachOnceInOrder) {
  ScriptedDomain domain;
  const std::vector<std::wstring> all{
      L"Domain Admins", L"Domain Users", L"Sales", L"A group whose name alone is longer than the preferred size",
      L"Staff",         L"Support",      L"Z"};
  for (const std::wstring& name : all) domain.AddGroup(name, L"comment");
  ScopedPlatform scope;
  scope.Use(domain);

  for (DWORD preferredSize : {DWORD{131}, DWORD{1}, DWORD{MAX_PREFERRED_LENGTH}}) {
    SCOPED_TRACE(preferredSize);
    domain.displayQueries.clear();
    EXPECT_EQ(ListGroups(preferredSize), all);
    const auto& calls = domain.displayQueries;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].server, L"\\\\DC1");
    EXPECT_EQ(calls[0].level, 3u);
    EXPECT_EQ(calls[0].requested, 100u);
    EXPECT_EQ(calls[0].preferredMaximumLength, preferredSize);
    if (preferredSize == 1) {
      EXPECT_EQ(calls.size(), all.size()) << "a page holds at least one entry";
    } else if (preferredSize == 131) {
      EXPECT_GT(calls.size(), 2u) << "131 bytes hold two short groups at most";
    } else {
      EXPECT_EQ(calls.size(), 1u);
    }
  }

  // A caller that counts entries instead of following the next index is refused.
  DWORD returned = 0;
  void* block = nullptr;
  EXPECT_EQ(platform().domain->QueryDisplayInformation(L"\\\\DC1", 3, 2, 100, 131, &returned, &block),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(block, nullptr);

  // No page holds more than 100 entries, whatever the size allows.
  ScriptedDomain big;
  for (int i = 0; i < 150; ++i) big.AddGroup(L"Group " + std::to_wstring(i));
  scope.Use(big);
  EXPECT_EQ(ListGroups(MAX_PREFERRED_LENGTH).size(), 150u);
  ASSERT_EQ(big.displayQueries.size(), 2u);
  EXPECT_EQ(big.displayQueries[0].returned, 100u);
  EXPECT_EQ(big.displayQueries[0].status, static_cast<DWORD>(ERROR_MORE_DATA));
}

TEST(ScriptedDomain, AnswersInOneNetApiBlockAsTheRealCallsDo) {
  ScriptedDomain domain;
  domain.AddComputer(L"PC-017").Nt(4, 0);
  domain.AddComputer(L"PC-095").Win9x();
  domain.AddComputer(L"PROFSRV").Win2000().Comment(L"profile server");
  domain.DomainController(L"DC1");
  domain.AddUser(L"svc-lullan").Admin().FullName(L"Lullan service");
  domain.Workstation(L"PC-017", L"FENNICK");
  ScopedPlatform scope;
  scope.Use(domain);
  Domain& net = *platform().domain;

  // The browse list, whole, filtered by type, cut short, empty, or refused.
  struct Case {
    NET_API_STATUS scripted;
    DWORD entries;
    DWORD serverType;
    std::vector<std::wstring> listed;
    DWORD total;
  };
  for (const Case& c : {Case{NERR_Success, 3, SV_TYPE_ALL, {L"PC-017", L"PC-095", L"PROFSRV"}, 3},
                        Case{NERR_Success, 3, SV_TYPE_WINDOWS, {L"PC-095"}, 1},
                        Case{ERROR_MORE_DATA, 2, SV_TYPE_ALL, {L"PC-017", L"PC-095"}, 3},
                        Case{NERR_Success, 0, SV_TYPE_ALL, {}, 0},
                        Case{NERR_NotLocalDomain, 0, SV_TYPE_ALL, {}, 0}}) {
    SCOPED_TRACE(c.scripted);
    domain.FailServerEnum(c.scripted, c.entries);
    LPBYTE block = nullptr;
    DWORD read = 99, total = 99, resume = 0;
    EXPECT_EQ(net.ServerEnum(nullptr, 101, &block, MAX_PREFERRED_LENGTH, &read, &total, c.serverType, nullptr, &resume),
              c.scripted);
    EXPECT_EQ(total, c.total);
    ASSERT_EQ(read, c.listed.size());
    const auto* servers = reinterpret_cast<const SERVER_INFO_101*>(block);
    for (DWORD i = 0; i < read; ++i) {
      EXPECT_EQ(servers[i].sv101_name, c.listed[i]);
      ExpectInsideBlock(block, servers[i].sv101_name);
      ExpectInsideBlock(block, servers[i].sv101_comment);
    }
    if (read == 0) {
      EXPECT_EQ(block, nullptr);
    }
    if (read == 3) {
      EXPECT_EQ(servers[0].sv101_type & SV_TYPE_NT, static_cast<DWORD>(SV_TYPE_NT));
      EXPECT_EQ(servers[0].sv101_version_major, 4u);
      EXPECT_EQ(servers[1].sv101_type & (SV_TYPE_NT | SV_TYPE_WINDOWS), static_cast<DWORD>(SV_TYPE_WINDOWS));
      EXPECT_EQ(servers[2].sv101_version_major, 5u);
      EXPECT_EQ(std::wstring(servers[2].sv101_comment), L"profile server");
    }
    if (block) Free(block);
  }

  LPBYTE dc = nullptr;
  ASSERT_EQ(net.GetAnyDCName(nullptr, nullptr, &dc), static_cast<DWORD>(NERR_Success));
  EXPECT_EQ(reinterpret_cast<const wchar_t*>(dc), std::wstring(L"\\\\DC1"));
  ExpectInsideBlock(dc, reinterpret_cast<const wchar_t*>(dc));
  Free(dc);
  domain.NoDomainController(ERROR_NO_SUCH_DOMAIN);
  EXPECT_EQ(net.GetAnyDCName(nullptr, nullptr, &dc), static_cast<DWORD>(ERROR_NO_SUCH_DOMAIN));

  LPBYTE user = nullptr;
  ASSERT_EQ(net.UserGetInfo(L"\\\\DC1", L"SVC-LULLAN", 11, &user), static_cast<DWORD>(NERR_Success));
  const auto* info = reinterpret_cast<const USER_INFO_11*>(user);
  EXPECT_EQ(info->usri11_priv, static_cast<DWORD>(USER_PRIV_ADMIN));
  ExpectInsideBlock(user, info->usri11_full_name);
  ExpectInsideBlock(user, info->usri11_logon_server);
  Free(user);
  EXPECT_EQ(net.UserGetInfo(L"\\\\DC1", L"nobody", 11, &user), static_cast<DWORD>(NERR_UserNotFound));

  LPBYTE station = nullptr;
  ASSERT_EQ(net.WkstaGetInfo(nullptr, 100, &station), static_cast<DWORD>(NERR_Success));
  const auto* wksta = reinterpret_cast<const WKSTA_INFO_100*>(station);
  EXPECT_EQ(std::wstring(wksta->wki100_langroup), L"FENNICK");
  ExpectInsideBlock(station, wksta->wki100_langroup);
  Free(station);
}

}  // namespace
}  // namespace lullan::test
