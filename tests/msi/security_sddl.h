// Security descriptors as SDDL text, the form in which the package states
// its lists, so that a failure shows the whole list that was there.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::test {

// The owner and DACL of a file or folder ("O:BAD:PAI(A;OICI;FA;;;SY)...");
// empty when they cannot be read.
std::wstring FileSddl(const std::wstring& path);
// The DACL of a key below `root` ("D:(A;;KR;;;WD)..."); empty when unreadable.
std::wstring KeySddl(HKEY root, const std::wstring& path, REGSAM view = 0);

// True when the list of a file or folder lets Everyone write to it.
bool WorldMayWrite(const std::wstring& path);

}  // namespace lullan::test
