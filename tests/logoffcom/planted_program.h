// A program planted where an unquoted server path's first word points
// ("C:\Program.exe" for "C:\Program Files\..."): if anything starts it, it
// records its command line under this key of HKEY_CURRENT_USER, where the
// test that planted it looks.
#pragma once

namespace lullan::test {

inline constexpr wchar_t kPlantedProgramKey[] = L"Software\\LullanTests\\PlantedProgram";
inline constexpr wchar_t kPlantedProgramValue[] = L"CommandLine";

}  // namespace lullan::test
