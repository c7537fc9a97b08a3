// ScanPackedTime has a file of its own: it is the one user of the C
// runtime's scanf in the suite, and a program that only shows packed times
// (the console) then links neither it nor scanf's 35 KB.
#include <cwchar>

#include "packed_time.h"

namespace lullan {

DWORD ScanPackedTime(const wchar_t* text) {
  unsigned hour = 0;
  unsigned minute = 0;
  wchar_t letter = L'\0';
  if (text) std::swscanf(text, L"%u:%u %lc", &hour, &minute, &letter);
  if (letter == L'P') {
    if (hour < 12) hour += 12;
  } else if (hour == 12) {
    hour = 0;
  }
  return PackTime(hour, minute);
}

}  // namespace lullan
