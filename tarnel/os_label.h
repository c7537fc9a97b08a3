// The operating system label of a computer of the browse list, from the
// server type bits and the version that NetServerEnum reports for it.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::tarnel {

// The first label of the table whose bit is set in `serverType` ("NT", "NW",
// "Xen", "NTS", "Win9x", "WFW"; empty when none is). An NT label becomes
// "Win2000" for major version 5, otherwise it gets " major.minor" (an NT 4.0
// workstation reads "NT 4.0"); only the major version's low four bits count.
std::wstring OsLabel(DWORD serverType, DWORD versionMajor, DWORD versionMinor);

}  // namespace lullan::tarnel
