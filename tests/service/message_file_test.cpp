// lullanMsg.dll as Event Viewer uses it: loaded as data, each event's text
// looked up by its full identifier.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "event_ids.h"
#include "handles.h"
#include "lullanMsg.h"
#include "text_format.h"

namespace lullan {
namespace {

// The symbolic names windmc writes must be the identifiers the monitor reports.
static_assert(MSG_MONITOR_STARTED == kEventMonitorStarted);
static_assert(MSG_MONITOR_STOPPING == kEventMonitorStopping);
static_assert(MSG_DISPATCHER_FAILED == kEventDispatcherFailed);
static_assert(MSG_MONITOR_FAILED == kEventMonitorFailed);
static_assert(MSG_PROFILE_SERVER_MISSING == kEventProfileServerMissing);
static_assert(MSG_PROFILE_COPY_FAILED == kEventProfileCopyFailed);
// And those the idle-logoff service reports.
static_assert(MSG_ENGINE_STARTED == kEventEngineStarted);
static_assert(MSG_ENGINE_STOPPING == kEventEngineStopping);
static_assert(MSG_LOGGED_OFF == kEventLoggedOff);
static_assert(MSG_SHUT_DOWN == kEventShutDown);
static_assert(MSG_REBOOTED == kEventRebooted);
static_assert(MSG_WOULD_ACT == kEventWouldAct);
static_assert(MSG_LOGOFF_FORCED == kEventLogoffForced);
static_assert(MSG_LOGGED_OFF_INSTEAD == kEventLoggedOffInstead);
static_assert(MSG_ACTION_HELD == kEventActionHeld);
static_assert(MSG_SCRIPT_MISSING == kEventScriptMissing);
static_assert(MSG_SCRIPT_FAILED == kEventScriptFailed);
static_assert(MSG_LOG_REFUSED == kEventLogRefused);
static_assert(MSG_AGENT_FAILED == kEventAgentFailed);
static_assert(MSG_ACTION_FAILED == kEventActionFailed);
static_assert(MSG_PIPE_FAILED == kEventPipeFailed);
static_assert(MSG_LOGON_SCREEN_SHUT_DOWN == kEventLogonScreenShutDown);
static_assert(MSG_LOGON_SCREEN_WOULD_SHUT_DOWN == kEventLogonScreenWouldShutDown);
static_assert(MSG_COUNTDOWN_CANCELLED == kEventCountdownCancelled);
static_assert(MSG_SOUND_FAILED == kEventSoundFailed);

// Every event with the number of insertion strings it is reported with: its
// text must use each, and no other (a %5 would show as it stands).
struct Reported {
  DWORD id;
  int strings;
};
constexpr Reported kReportedEvents[] = {{kEventMonitorStarted, 0},
                                        {kEventMonitorStopping, 0},
                                        {kEventDispatcherFailed, 0},
                                        {kEventProfileServerMissing, 0},
                                        {kEventProfileCopyFailed, 0},
                                        {kEventMonitorFailed, 1},
                                        {kEventEngineStarted, 0},
                                        {kEventEngineStopping, 0},
                                        {kEventLoggedOff, 3},
                                        {kEventShutDown, 3},
                                        {kEventRebooted, 3},
                                        {kEventWouldAct, 4},
                                        {kEventLogoffForced, 3},
                                        {kEventLoggedOffInstead, 3},
                                        {kEventActionHeld, 4},
                                        {kEventScriptMissing, 3},
                                        {kEventScriptFailed, 4},
                                        {kEventLogRefused, 3},
                                        {kEventAgentFailed, 3},
                                        {kEventActionFailed, 4},
                                        {kEventPipeFailed, 2},
                                        {kEventLogonScreenShutDown, 1},
                                        {kEventLogonScreenWouldShutDown, 1},
                                        {kEventCountdownCancelled, 3},
                                        {kEventSoundFailed, 4}};

std::wstring Hex(DWORD id) {
  wchar_t text[16];
  FormatInto(text, 16, L"0x%08lX", id);
  return text;
}

class MessageFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    std::wstring dll(path, length);
    dll.replace(dll.find_last_of(L'\\') + 1, std::wstring::npos, L"lullanMsg.dll");
    module_.reset(LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module_) << "LoadLibraryExW failed with " << GetLastError();
  }

  // The text of `id`, or the error FormatMessageW gave.
  struct Lookup {
    std::optional<std::wstring> text;
    DWORD error;
  };
  Lookup Message(DWORD id, DWORD language = 0) const {
    unique_local_memory buffer;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                       module_.get(), id, language, reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
    if (length == 0) return {std::nullopt, GetLastError()};
    return {std::wstring(static_cast<const wchar_t*>(buffer.get()), length), ERROR_SUCCESS};
  }

  unique_library module_;
};

TEST_F(MessageFile, EveryReportedEventReadsAsSentences) {
  for (const auto [id, strings] : kReportedEvents) {
    // 0 is the search Event Viewer relies on; the table itself is US English.
    for (DWORD language : {0ul, static_cast<DWORD>(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))}) {
      Lookup found = Message(id, language);
      ASSERT_TRUE(found.text) << Hex(id) << " language " << language << ": error " << found.error;
      const std::wstring& text = *found.text;
      EXPECT_GT(text.size(), 40u) << Hex(id) << ": \"" << text << "\"";
      EXPECT_TRUE(text.ends_with(L".\r\n")) << Hex(id) << ": \"" << text << "\"";
      for (int n = 1; n <= 5; ++n) {
        bool used = text.find(FormatText(L"%%%d", n)) != std::wstring::npos;
        EXPECT_EQ(used, n <= strings) << Hex(id) << " insertion %" << n << ": \"" << text << "\"";
      }
      if (strings == 0) {
        EXPECT_EQ(text.find(L'%'), std::wstring::npos) << Hex(id) << ": \"" << text << "\"";
      }
    }
  }
}

// Event Viewer shows the record's type beside the text: a warning must read
// as one.
TEST(EventTypes, FollowTheSeverityOfEachIdentifier) {
  for (const auto [id, strings] : kReportedEvents) {
    WORD expected = (id >> 30) == 3   ? EVENTLOG_ERROR_TYPE
                    : (id >> 30) == 2 ? EVENTLOG_WARNING_TYPE
                                      : EVENTLOG_INFORMATION_TYPE;
    EXPECT_EQ(EventTypeFor(id), expected) << Hex(id);
  }
}

TEST_F(MessageFile, EventsAreFoundOnlyUnderTheirFullIdentifiers) {
  // The same codes with another severity, and identifiers next to the real ones.
  for (DWORD id : {0x00000080ul, 0xC0000080ul, 0x80000081ul, 0x4000001Aul, 0x00000011ul, 0x40000013ul, 0x40000082ul,
                   0xC0000012ul, 0xE0000011ul}) {
    Lookup found = Message(id);
    EXPECT_FALSE(found.text) << Hex(id) << " has the text \"" << found.text.value_or(L"") << "\"";
    EXPECT_EQ(found.error, static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND)) << Hex(id);
  }
}

}  // namespace
}  // namespace lullan
