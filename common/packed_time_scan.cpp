// ScanPackedTime has a file of its own: a program that only shows packed
// times (the console) then links none of it. It reads what the C runtime's
// swscanf(text, L"%u:%u %lc") would read, without the runtime's scanner,
// which brings some 35 KB of scanf and floating-point parsing along.
#include <cwctype>

#include "packed_time.h"

namespace lullan {

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

}  // namespace lullan
