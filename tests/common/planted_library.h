// A library planted where a program must not look for its libraries (the
// current folder, a folder a user can write to), under the name of one the
// program loads: "quitcom.dll". If anything loads it, it records the program
// that did under this key of HKEY_CURRENT_USER, where the test that planted
// it looks. Its two registration exports do nothing, so that a program that
// did load it goes on without a box to answer.
#pragma once

namespace lullan::test {

inline constexpr wchar_t kPlantedLibraryKey[] = L"Software\\LullanTests\\PlantedLibrary";
inline constexpr wchar_t kPlantedLibraryValue[] = L"LoadedBy";

}  // namespace lullan::test
