// The test helpers themselves: if these break, every later test lies.
#include <gtest/gtest.h>

#include "dialog_answerer.h"
#include "fake_platform.h"
#include "handles.h"

namespace lullan::test {
namespace {

TEST(DialogAnswerer, PressesTheScriptedButtonAndRecordsTheBox) {
  DialogAnswerer dialogs;
  dialogs.Answer(IDNO).Answer(IDYES);
  EXPECT_EQ(::MessageBoxW(nullptr, L"Enable daily logoff?", L"General", MB_YESNO), IDNO);
  EXPECT_EQ(::MessageBoxW(nullptr, L"Second", L"General", MB_YESNO | MB_ICONQUESTION), IDYES);
  ASSERT_EQ(dialogs.seen().size(), 2u) << dialogs.Describe();
  EXPECT_EQ(dialogs.seen()[0].caption, L"General");
  EXPECT_EQ(dialogs.seen()[0].Text(), L"Enable daily logoff?");
  EXPECT_EQ(dialogs.pending(), 0u);
}

TEST(DialogAnswerer, CancelsAndRecordsADialogNobodyExpected) {
  DialogAnswerer dialogs;
  EXPECT_EQ(::MessageBoxW(nullptr, L"Surprise", L"tarnel", MB_OKCANCEL), IDCANCEL);
  ASSERT_EQ(dialogs.seen().size(), 1u);
  EXPECT_EQ(dialogs.seen()[0].answer, DialogAnswerer::kUnscripted);
}

TEST(FakeRemoteRegistry, HandsOutEachMachineAsItsOwnSubtree) {
  FakeRemoteRegistry machines;
  HKEY server = machines.AddMachine(L"PROFSRV");
  WriteDword(server, L"SOFTWARE\\Fennick", L"Stamp", 7);

  ScopedPlatform scope;
  scope.Use(machines);
  for (const wchar_t* name : {L"\\\\PROFSRV", L"profsrv"}) {
    unique_hkey remote;
    ASSERT_EQ(platform().remoteRegistry->ConnectRegistry(name, HKEY_LOCAL_MACHINE, remote.put()), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(remote.get(), L"SOFTWARE\\Fennick", L"Stamp"), 7u);
  }
  unique_hkey other;
  EXPECT_EQ(platform().remoteRegistry->ConnectRegistry(L"\\\\OTHER", HKEY_LOCAL_MACHINE, other.put()),
            ERROR_BAD_NETPATH);
  machines.FailMachine(L"PROFSRV", ERROR_ACCESS_DENIED);
  EXPECT_EQ(platform().remoteRegistry->ConnectRegistry(L"\\\\PROFSRV", HKEY_LOCAL_MACHINE, other.put()),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(machines.requests.size(), 4u);
}

TEST(ScopedPlatform, PutsTheWin32SeamsBack) {
  {
    FixedClock clock(2026, 1, 2, 3, 4);
    ScopedPlatform scope;
    scope.Use(clock);
    SYSTEMTIME now;
    platform().clock->GetLocalTime(&now);
    EXPECT_EQ(now.wMinute, 4);
  }
  EXPECT_EQ(platform().clock, Win32Platform().clock);
}

TEST(ScratchKey, IsRemovedWithEverythingBelowIt) {
  std::wstring path;
  {
    ScratchKey key;
    path = key.path();
    WriteDword(key.get(), L"a\\b\\c", L"v", 1);
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, path + L"\\a\\b\\c"));
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));
}

}  // namespace
}  // namespace lullan::test
