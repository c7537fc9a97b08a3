// ScanPackedTime reads "%u:%u %c" the way the C runtime's scanner reads it,
// without the scanner: swscanf and the floating-point conversions it brings
// along are 35 KB of every program that shows the Groups page (the console
// ships under 400 KiB).
#include <cwctype>

#include "packed_time.h"

namespace lullan {

namespace {

// "%u": blanks, an optional sign, then at least one decimal digit, read as
// the runtime reads them: digits beyond 32 bits give the largest number, and
// a minus sign then negates modulo 2^32. False when there is no number.
bool ScanUnsigned(const wchar_t*& p, unsigned& value) {
  while (std::iswspace(*p)) ++p;
  const wchar_t* start = p;
  bool negative = *p == L'-';
  if (*p == L'+' || *p == L'-') ++p;
  if (*p < L'0' || *p > L'9') {
    p = start;
    return false;
  }
  constexpr unsigned long long kLargest = 0xFFFFFFFFull;
  unsigned long long number = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    number = number * 10u + static_cast<unsigned>(*p - L'0');
    if (number > kLargest) number = kLargest + 1;  // too large; the rest of the digits are read on
  }
  unsigned magnitude = static_cast<unsigned>(number > kLargest ? kLargest : number);
  value = negative ? 0u - magnitude : magnitude;
  return true;
}

}  // namespace

DWORD ScanPackedTime(const wchar_t* text) {
  unsigned hour = 0;
  unsigned minute = 0;
  wchar_t letter = L'\0';
  // Each field is taken up to the first one that does not match, as the
  // scanner does: the hour, ':' right after it, the minute, any blanks,
  // then one character.
  const wchar_t* p = text ? text : L"";
  if (ScanUnsigned(p, hour) && *p == L':' && ScanUnsigned(++p, minute)) {
    while (std::iswspace(*p)) ++p;
    letter = *p;
  }
  if (letter == L'P') {
    if (hour < 12) hour += 12;
  } else if (hour == 12) {
    hour = 0;
  }
  return PackTime(hour, minute);
}

}  // namespace lullan
