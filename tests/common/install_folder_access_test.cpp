#include "install_folder_access.h"

#include <gtest/gtest.h>

namespace lullan {
namespace {

// The list as any installer takes it: LocalSystem and Administrators in full
// control, Users and Authenticated Users reading and running, each inherited
// (OICI), nothing from the parent (P), Administrators the owner. A file in
// the folder holds the same entries as inherited ones (ID).
TEST(InstallFolderSecurity, AdministratorsAndTheSystemMayDoAnythingUsersReadAndRunAndTheParentHandsDownNothing) {
  EXPECT_EQ(InstallFolderSddl(),
            L"O:BAD:PAI(A;OICI;0x1f01ff;;;SY)(A;OICI;0x1f01ff;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;AU)");
  EXPECT_EQ(InstalledFileSddl(),
            L"O:BAD:AI(A;ID;0x1f01ff;;;SY)(A;ID;0x1f01ff;;;BA)(A;ID;0x1200a9;;;BU)(A;ID;0x1200a9;;;AU)");
}

}  // namespace
}  // namespace lullan
