#include "packed_time.h"

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

DWORD PackLocalTime(const SYSTEMTIME& time) { return PackTime(time.wHour, time.wMinute); }

}  // namespace lullan
