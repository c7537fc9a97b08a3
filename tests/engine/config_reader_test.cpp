// The engine reads its configuration as the configuration pages show it:
// whatever an administrator, a shared profile or a broken tool left in the
// registry, each value is read on its own and an unreadable one takes its
// default.
#include <gtest/gtest.h>

#include <functional>

#include "config_reader.h"
#include "packed_time.h"
#include "registry_fixture.h"

namespace lullan::engine {
namespace {

using test::ScratchKey;

void Raw(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS) << name;
}
void Dword(HKEY key, const wchar_t* name, DWORD value, DWORD type = REG_DWORD) {
  Raw(key, name, type, &value, sizeof value);
}
void Text(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
  Raw(key, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

TEST(ConfigReader, AnEmptyKeyReadsAsTheDefaults) {
  ScratchKey key;
  EXPECT_TRUE(ReadEngineConfig(key.get()) == EngineConfig{}) << "every value absent reads as the pages show it";
}

TEST(ConfigReader, EachValueIsReadUnderThePagesRules) {
  struct Case {
    const char* what;
    std::function<void(HKEY)> store;
    std::function<bool(const EngineConfig&)> expected;
  };
  const BYTE junk[6] = {1, 2, 3, 4, 5, 6};
  const Case cases[] = {
      {"Action by its first letter", [](HKEY k) { Text(k, L"Action", L"shutdown now"); },
       [](auto& c) { return c.action == config::Action::Shutdown; }},
      {"an Action naming nothing is Logoff", [](HKEY k) { Text(k, L"Action", L"Halt"); },
       [](auto& c) { return c.action == config::Action::Logoff; }},
      {"IdleMinutes 10080", [](HKEY k) { Dword(k, L"IdleMinutes", 10080); },
       [](auto& c) { return c.idleMinutes == 10080; }},
      {"IdleMinutes 0 reads as 30", [](HKEY k) { Dword(k, L"IdleMinutes", 0); },
       [](auto& c) { return c.idleMinutes == 30; }},
      {"IdleMinutes 10081 reads as 30", [](HKEY k) { Dword(k, L"IdleMinutes", 10081); },
       [](auto& c) { return c.idleMinutes == 30; }},
      {"IdleMinutes of another type reads as 30", [](HKEY k) { Dword(k, L"IdleMinutes", 5, REG_BINARY); },
       [](auto& c) { return c.idleMinutes == 30; }},
      {"IdleMinutes of six bytes reads as 30", [&](HKEY k) { Raw(k, L"IdleMinutes", REG_DWORD, junk, 6); },
       [](auto& c) { return c.idleMinutes == 30; }},
      {"ForceExit is on unless a REG_DWORD 0", [](HKEY k) { Dword(k, L"ForceExit", 0, REG_BINARY); },
       [](auto& c) { return c.forceExit; }},
      {"ForceExit 0", [](HKEY k) { Dword(k, L"ForceExit", 0); }, [](auto& c) { return !c.forceExit; }},
      {"NetBytesSec is taken from any type", [](HKEY k) { Dword(k, L"NetBytesSec", 5000, REG_BINARY); },
       [](auto& c) { return c.netBytesSec == 5000; }},
      {"a policy out of range reads as its default", [](HKEY k) { Dword(k, L"MultiGroupMaxPol", 7); },
       [](auto& c) { return c.multiGroupMaxPol == 1; }},
      {"ExplorerSensitivity 4 reads as 2", [](HKEY k) { Dword(k, L"ExplorerSensitivity", 4); },
       [](auto& c) { return c.explorerSensitivity == 2; }},
      {"an empty LogoffScript reads as C:\\autologoff.bat", [](HKEY k) { Text(k, L"LogoffScript", L""); },
       [](auto& c) { return c.logoffScript == L"C:\\autologoff.bat"; }},
      {"a LogoffScript longer than 199 characters is cut there",
       [](HKEY k) { Text(k, L"LogoffScript", std::wstring(250, L's')); },
       [](auto& c) { return c.logoffScript == std::wstring(199, L's'); }},
      {"a text without its terminator ends with its data",
       [](HKEY k) { Raw(k, L"LogDir", REG_SZ, L"C:\\Logs", 7 * sizeof(wchar_t)); },
       [](auto& c) { return c.logDir == L"C:\\Logs"; }},
      {"a LogDir of REG_EXPAND_SZ is expanded",
       [](HKEY k) { Text(k, L"LogDir", L"%SystemRoot%\\Logs", REG_EXPAND_SZ); },
       [](auto& c) { return c.logDir.find(L'%') == std::wstring::npos && c.logDir.ends_with(L"\\Logs"); }},
      {"a text value stored as a number reads as absent", [](HKEY k) { Dword(k, L"LogDir", 7); },
       [](auto& c) { return c.logDir.empty(); }},
      {"ExcludeFiles split at its commas",
       [](HKEY k) { Text(k, L"ExcludeFiles", L"render.exe, backup.exe ,,C:\\Tools\\sync.exe"); },
       [](auto& c) {
         return c.excludeFiles == std::vector<std::wstring>{L"render.exe", L"backup.exe", L"C:\\Tools\\sync.exe"};
       }},
      {"DailyLogoffTime packed", [](HKEY k) { Dword(k, L"DailyLogoffTime", PackTime(17, 30)); },
       [](auto& c) { return c.dailyLogoffTime == PackTime(17, 30); }},
      {"DryRun, set by hand", [](HKEY k) { Dword(k, L"DryRun", 1); }, [](auto& c) { return c.dryRun; }},
      {"LogonScreenShutdownMinutes, set by hand", [](HKEY k) { Dword(k, L"LogonScreenShutdownMinutes", 20); },
       [](auto& c) { return c.logonScreenShutdownMinutes == 20; }},
      {"UseMutex is read and kept", [](HKEY k) { Dword(k, L"UseMutex", 1); }, [](auto& c) { return c.useMutex; }},
      {"CountdownSeconds outside 1 to 120 reads as 10", [](HKEY k) { Dword(k, L"CountdownSeconds", 0); },
       [](auto& c) { return c.countdownSeconds == 10; }},
  };
  for (const Case& c : cases) {
    ScratchKey key;
    c.store(key.get());
    EXPECT_TRUE(c.expected(ReadEngineConfig(key.get()))) << c.what;
  }
}

TEST(ConfigReader, TheGroupsSubkeyListsEveryWellFormedGroup) {
  ScratchKey key;
  unique_hkey groups;
  ASSERT_EQ(::RegCreateKeyExW(key.get(), L"Groups", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, groups.put(), nullptr),
            ERROR_SUCCESS);
  Dword(groups.get(), L"mDomain Users", 45);
  Dword(groups.get(), L"dNight Shift", PackTime(22, 0));
  Dword(groups.get(), L"mZero", 0);         // no minutes at all
  Dword(groups.get(), L"mTooLong", 10081);  // beyond a week
  Dword(groups.get(), L"xUnknown", 5);      // no prefix the pages write
  Dword(groups.get(), L"m", 5);             // no group name
  Text(groups.get(), L"mText", L"45");      // not a number
  Raw(groups.get(), L"mBig", REG_DWORD, std::wstring(40, L'x').c_str(), 80);
  std::vector<GroupLimit> expected = {{L"Domain Users", config::GroupKind::Minutes, 45},
                                      {L"Night Shift", config::GroupKind::ClockTime, PackTime(22, 0)}};
  std::vector<GroupLimit> read = ReadEngineConfig(key.get()).groups;
  std::sort(read.begin(), read.end(), [](const GroupLimit& a, const GroupLimit& b) { return a.group < b.group; });
  EXPECT_TRUE(read == expected) << read.size() << " groups read";
}

}  // namespace
}  // namespace lullan::engine
