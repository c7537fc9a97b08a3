// The handle owners: callers rely on them to close exactly what they hold and
// to leave the thread's last error to the call that set it.
#include <gtest/gtest.h>

#include "handles.h"

namespace lullan {
namespace {

// A kind whose close fails and sets the last error, as CloseHandle does on a
// handle that is no longer valid.
struct FailingClose {
  using type = int;
  static type invalid() noexcept { return 0; }
  static void close(type) noexcept {
    ++closed;
    ::SetLastError(ERROR_INVALID_HANDLE);
  }
  static inline int closed = 0;
};

TEST(UniqueAny, ClosingKeepsTheLastErrorOfTheCallBefore) {
  FailingClose::closed = 0;
  {
    unique_any<FailingClose> owner(7);
    ::SetLastError(ERROR_FILE_NOT_FOUND);  // the failure the caller is about to report
  }
  EXPECT_EQ(FailingClose::closed, 1);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "the close must not overwrite it";

  unique_any<FailingClose> owner(8);
  ::SetLastError(ERROR_ACCESS_DENIED);
  owner.reset(9);
  *owner.put() = 0;
  EXPECT_EQ(FailingClose::closed, 3);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// CreateFile, CreateNamedPipe and CreateToolhelp32Snapshot fail with
// INVALID_HANDLE_VALUE, most other calls with null: whichever owner a result
// lands in, neither counts as a handle.
TEST(UniqueAny, NeitherKernelHandleOwnerTakesAFailureForAHandle) {
  unique_file notOpened(
      ::CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(notOpened);
  unique_handle fileInEventOwner(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fileInEventOwner) << "INVALID_HANDLE_VALUE is no handle";
  unique_file eventInFileOwner(nullptr);
  EXPECT_FALSE(eventInFileOwner) << "null is no handle";

  unique_handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  EXPECT_TRUE(event);
  HANDLE raw = event.get();
  event.reset();
  EXPECT_FALSE(event);
  EXPECT_FALSE(::SetEvent(raw)) << "the event was closed";
}

}  // namespace
}  // namespace lullan
