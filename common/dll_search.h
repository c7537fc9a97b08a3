// Where the suite's programs look for a library loaded by its bare name. By
// default Windows tries the current folder too (and, before XP SP2, before
// the system folder): an elevated program started from a folder a user can
// write to, or with such a current folder, would load whatever library of
// that name was planted there. Every shipped program therefore calls
// LimitDllSearch on the first line of its entry point, before anything can
// load a library:
//
//   int wmain(int argc, wchar_t** argv) {
//     lullan::LimitDllSearch();
//     ...
//
// A DLL must not call it: the search order belongs to the process that
// loaded it.
#pragma once

namespace lullan {

// Libraries loaded by name come from the system folder and this program's
// own folder only (SetDefaultDllDirectories, where Windows has it: Windows 8,
// and Vista and 7 with update KB2533623). Elsewhere the current folder is at
// least taken out of the search (SetDllDirectoryW with an empty text, from
// XP SP1 on). Either call is looked up at run time: the floor is XP.
void LimitDllSearch() noexcept;

}  // namespace lullan
