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

constexpr DWORD kReportedEvents[] = {kEventMonitorStarted,       kEventMonitorStopping,   kEventDispatcherFailed,
                                     kEventProfileServerMissing, kEventProfileCopyFailed, kEventMonitorFailed};
// The one event reported with an insertion string: the text of the error.
constexpr DWORD kEventWithText = kEventMonitorFailed;

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
  for (DWORD id : kReportedEvents) {
    // 0 is the search Event Viewer relies on; the table itself is US English.
    for (DWORD language : {0ul, static_cast<DWORD>(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))}) {
      Lookup found = Message(id, language);
      ASSERT_TRUE(found.text) << Hex(id) << " language " << language << ": error " << found.error;
      const std::wstring& text = *found.text;
      EXPECT_GT(text.size(), 40u) << Hex(id) << ": \"" << text << "\"";
      EXPECT_TRUE(text.ends_with(L".\r\n")) << Hex(id) << ": \"" << text << "\"";
      // Other events come without insertion strings: a %1 would show as it stands.
      if (id == kEventWithText) {
        EXPECT_NE(text.find(L"%1"), std::wstring::npos) << Hex(id) << ": \"" << text << "\"";
      } else {
        EXPECT_EQ(text.find(L'%'), std::wstring::npos) << Hex(id) << ": \"" << text << "\"";
      }
    }
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
