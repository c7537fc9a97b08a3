// The packed time of day: one REG_DWORD with the hour in the high 16 bits and
// the minute in the low 16 bits (14:05 is 0x000E0005). Used by the daily
// logoff time, clock-time group values and the profile change stamp.
#pragma once

#include <windows.h>

#include <string>

namespace lullan {

struct TimeOfDay {
  unsigned hour;    // 0..23
  unsigned minute;  // 0..59
};

constexpr DWORD PackTime(unsigned hour, unsigned minute) {
  return (static_cast<DWORD>(hour & 0xFFFF) << 16) | (minute & 0xFFFF);
}

// Reads a packed time; an hour above 23 and a minute above 59 read as 0.
TimeOfDay UnpackTime(DWORD packed);

// "%02d:%02d %cM" on a 12-hour clock: 0x000E0005 is "02:05 PM".
std::wstring FormatPackedTime(DWORD packed);

// Scans "%u:%u %c" back into a packed time: 'P' below 12 adds 12, any other
// letter turns 12 into 0. Fields the text lacks count as 0.
DWORD ScanPackedTime(const wchar_t* text);

// The packed form of a local time (the profile change stamp).
DWORD PackLocalTime(const SYSTEMTIME& time);

}  // namespace lullan
