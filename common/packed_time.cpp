#include "packed_time.h"

#include <cwctype>

#include "text_format.h"

namespace lullan {

TimeOfDay UnpackTime(DWORD packed) {
  unsigned hour = HIWORD(packed);
  unsigned minute = LOWORD(packed);
  return TimeOfDay{hour > 23 ? 0u : hour, minute > 59 ? 0u : minute};
}

std::wstring FormatPackedTime(DWORD packed) {
  TimeOfDay t = UnpackTime(packed);
  unsigned shown = t.hour % 12 == 0 ? 12 : t.hour % 12;
  wchar_t letter = t.hour < 12 ? L'A' : L'P';
  return FormatText(L"%02d:%02d %cM", static_cast<int>(shown), static_cast<int>(t.minute), letter);
}

namespace {

// What "%u" takes: blanks, a sign, decimal digits; the value as the C
// library's wcstoul gives it (too large a number is the largest one, a
// minus then negates it). False, taking nothing, without a digit.
bool ScanUnsigned(const wchar_t*& text, unsigned& value) {
  const wchar_t* at = text;
  while (std::iswspace(*at)) ++at;
  bool negative = *at == L'-';
  if (*at == L'-' || *at == L'+') ++at;
  if (*at < L'0' || *at > L'9') return false;
  constexpr unsigned kLargest = 0xFFFFFFFFu;
  unsigned number = 0;
  for (; *at >= L'0' && *at <= L'9'; ++at) {
    unsigned digit = static_cast<unsigned>(*at - L'0');
    number = number > (kLargest - digit) / 10 ? kLargest : number * 10 + digit;
  }
  value = negative ? 0u - number : number;
  text = at;
  return true;
}

}  // namespace

DWORD ScanPackedTime(const wchar_t* text) {
  unsigned hour = 0;
  unsigned minute = 0;
  wchar_t letter = L'\0';
  // Read as swscanf(text, L"%u:%u %lc") reads it, without the C library's
  // scanner, which would bring some thirty kilobytes into every program.
  if (text && ScanUnsigned(text, hour) && *text == L':' && ScanUnsigned(++text, minute)) {
    while (std::iswspace(*text)) ++text;
    letter = *text;
  }
  if (letter == L'P') {
    if (hour < 12) hour += 12;
  } else if (hour == 12) {
    hour = 0;
  }
  return PackTime(hour, minute);
}

DWORD PackLocalTime(const SYSTEMTIME& time) { return PackTime(time.wHour, time.wMinute); }

}  // namespace lullan
