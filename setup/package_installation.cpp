#include "package_installation.h"

#include <msi.h>

#include "message_box.h"
#include "product.h"

namespace lullan::setup {

const wchar_t kInstalledByPackage[] =
    L"Lullan was installed on this computer by its Windows Installer package (lullan.msi). Change or remove it "
    L"with Add/Remove Programs or \"msiexec /x lullan.msi\"; setup.exe leaves it alone.";

bool InstalledByPackage() {
  wchar_t product[39] = {};
  return ::MsiEnumRelatedProductsW(kPackageUpgradeCode, 0, 0, product) == ERROR_SUCCESS;
}

bool RefusedForPackage(HWND owner) {
  if (!InstalledByPackage()) return false;
  ui::ShowMessage(owner, kInstalledByPackage, MB_OK | MB_ICONSTOP);
  return true;
}

}  // namespace lullan::setup
