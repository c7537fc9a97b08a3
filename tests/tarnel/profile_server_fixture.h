// The console on a profile server with shared profiles, at 14:05 by the
// console's clock: the fixture of the shared profiles and assignment tests.
//
//   Profile(L"stdLogoff");                  // the key and its Groups subkey
//   Workstation(L"PC-1", L"alice", 5);      // from ConsoleTest
//   ... a session ...
//   EXPECT_EQ(Texts(admin), (std::vector<std::wstring>{Box(L"Delete profile stdLogoff?")}));
#pragma once

#include <string>
#include <vector>

#include "console_fixture.h"

namespace lullan::test {

class ProfileServerTest : public ConsoleTest {
 protected:
  ProfileServerTest();

  std::wstring ProfilesKey() const { return consoleKey + L"\\Profiles"; }
  std::wstring ProfileKey(const std::wstring& profile) const { return ProfilesKey() + L"\\" + profile; }
  // A profile as setup or an earlier Add left it: its key, and its Groups
  // subkey with one group.
  void Profile(const std::wstring& profile);
  // The subkeys of a key under HKEY_LOCAL_MACHINE, in index order.
  static std::vector<std::wstring> Subkeys(const std::wstring& path);

  // Every box and dialog a session met, as "caption: static texts".
  static std::vector<std::wstring> Texts(const DialogSession& session);
  // A message box of the console, as Texts shows it.
  static std::wstring Box(const std::wstring& text);

  FixedClock clock;  // 14:05 on the console

 private:
  ScopedPlatform stamps_;
};

}  // namespace lullan::test
