// A file or folder of the build tree (a Unix path, as CMake hands it to a
// test) the way the programs under test see it: Wine shows the Unix root as
// drive Z:.
#pragma once

#include <algorithm>
#include <string>

#include "text_format.h"

namespace lullan::test {

inline std::wstring WindowsPathOf(const char* unixPath) {
  std::wstring path = L"Z:" + Widen(unixPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

}  // namespace lullan::test
