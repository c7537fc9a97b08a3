// What profmon prints when run by hand: formatted like printf, written to
// standard output in the system's 8-bit code page.
#pragma once

namespace lullan::profmon {

void Print(const wchar_t* format, ...);

}  // namespace lullan::profmon
