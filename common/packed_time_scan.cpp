// ScanPackedTime reads what FormatPackedTime wrote, field by field as
// swscanf's "%u:%u %lc" would, without the C runtime's scanf: the console
// shows the Groups page, which scans its clock times back, and scanf's 35 KB
// would not fit the console's size.
#include <cwctype>

#include "packed_time.h"

namespace lullan {

namespace {

// One "%u": white space, an optional sign, then decimal digits; false (and
// `text` left where it was) when no digit follows.
bool ScanUnsigned(const wchar_t*& text, unsigned& value) {
  const wchar_t* at = text;
  while (std::iswspace(*at)) ++at;
  const bool negative = *at == L'-';
  if (*at == L'+' || *at == L'-') ++at;
  if (*at < L'0' || *at > L'9') return false;
  unsigned number = 0;
  for (; *at >= L'0' && *at <= L'9'; ++at) number = number * 10 + static_cast<unsigned>(*at - L'0');
  value = negative ? 0u - number : number;
  text = at;
  return true;
}

}  // namespace

DWORD ScanPackedTime(const wchar_t* text) {
  unsigned hour = 0;
  unsigned minute = 0;
  wchar_t letter = L'\0';
  if (text && ScanUnsigned(text, hour) && *text == L':') {
    ++text;
    if (ScanUnsigned(text, minute)) {
      while (std::iswspace(*text)) ++text;
      letter = *text;
    }
  }
  if (letter == L'P') {
    if (hour < 12) hour += 12;
  } else if (hour == 12) {
    hour = 0;
  }
  return PackTime(hour, minute);
}

}  // namespace lullan
