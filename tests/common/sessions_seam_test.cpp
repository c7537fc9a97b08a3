// The sessions seam as the idle-logoff service uses it outside the tests:
// its calls are looked up in the system's wtsapi32.dll when first used,
// which no other program loads.
#include <gtest/gtest.h>

#include "platform.h"

namespace lullan {
namespace {

TEST(Win32Sessions, ListsTheSessionsThroughTheSystemsLibrary) {
  Sessions& sessions = *Win32Platform().sessions;
  PWTS_SESSION_INFOW list = nullptr;
  DWORD count = 0;
  ASSERT_TRUE(sessions.EnumerateSessions(&list, &count)) << "error " << ::GetLastError();
  unique_session_list owned(list);  // handed back through the installed seam, the Win32 one here
  DWORD own = 0;
  ASSERT_TRUE(sessions.ProcessIdToSessionId(::GetCurrentProcessId(), &own));
  for (DWORD i = 0; i < count; ++i) EXPECT_LT(list[i].SessionId, 0x10000u) << "entry " << i;
}

}  // namespace
}  // namespace lullan
