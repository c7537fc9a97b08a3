#include "os_label.h"

#include <lm.h>

#include "text_format.h"

namespace lullan::tarnel {

namespace {

struct LabelOfType {
  DWORD bit;
  const wchar_t* label;
};

// Searched in this order: a domain controller says "NT" whatever else it is.
constexpr LabelOfType kLabels[] = {
    {SV_TYPE_DOMAIN_CTRL, L"NT"}, {SV_TYPE_DOMAIN_BAKCTRL, L"NT"},
    {SV_TYPE_NOVELL, L"NW"},      {SV_TYPE_XENIX_SERVER, L"Xen"},
    {SV_TYPE_NT, L"NT"},          {SV_TYPE_SERVER_NT, L"NTS"},
    {SV_TYPE_WINDOWS, L"Win9x"},  {SV_TYPE_WFW, L"WFW"},
};

}  // namespace

std::wstring OsLabel(DWORD serverType, DWORD versionMajor, DWORD versionMinor) {
  std::wstring label;
  for (const LabelOfType& entry : kLabels) {
    if (serverType & entry.bit) {
      label = entry.label;
      break;
    }
  }
  if (label.rfind(L"NT", 0) != 0) return label;
  // The major version's upper bits carry flags of the browser.
  DWORD major = versionMajor & MAJOR_VERSION_MASK;
  if (major == 5) return L"Win2000";
  return label + FormatText(L" %lu.%lu", major, versionMinor);
}

}  // namespace lullan::tarnel
