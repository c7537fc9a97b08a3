#include "packed_time.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "text_format.h"

namespace lullan {
namespace {

TEST(PackedTime, ShowsTwelveHourClockTimes) {
  EXPECT_EQ(FormatPackedTime(0x000C0000), L"12:00 PM");
  EXPECT_EQ(FormatPackedTime(0x00000000), L"12:00 AM");
  EXPECT_EQ(FormatPackedTime(0x00170000), L"11:00 PM");
  EXPECT_EQ(FormatPackedTime(0x000E0005), L"02:05 PM");
  EXPECT_EQ(FormatPackedTime(0x00010000), L"01:00 AM");
}

TEST(PackedTime, OutOfRangeHourAndMinuteReadAsZero) {
  EXPECT_EQ(FormatPackedTime(0x00180005), L"12:05 AM");
  EXPECT_EQ(FormatPackedTime(0x0017003C), L"11:00 PM");
  EXPECT_EQ(FormatPackedTime(0xFFFFFFFF), L"12:00 AM");
  TimeOfDay t = UnpackTime(0x0018003C);
  EXPECT_EQ(t.hour, 0u);
  EXPECT_EQ(t.minute, 0u);
}

TEST(PackedTime, ScansTwelveHourTextBack) {
  EXPECT_EQ(ScanPackedTime(L"12:30 AM"), 0x0000001Eu);
  EXPECT_EQ(ScanPackedTime(L"12:30 PM"), 0x000C001Eu);
  EXPECT_EQ(ScanPackedTime(L"01:00 PM"), 0x000D0000u);
  EXPECT_EQ(ScanPackedTime(L"05:30 PM"), 0x0011001Eu);
  EXPECT_EQ(ScanPackedTime(L"11:59 AM"), 0x000B003Bu);
}

TEST(PackedTime, EveryShownTimeScansToItself) {
  for (unsigned hour = 0; hour < 24; ++hour) {
    for (unsigned minute = 0; minute < 60; minute += 7) {
      DWORD packed = PackTime(hour, minute);
      EXPECT_EQ(ScanPackedTime(FormatPackedTime(packed).c_str()), packed) << FormatPackedTime(packed).c_str();
    }
  }
}

TEST(PackedTime, TextWithoutLetterOrTimeDoesNotCrash) {
  EXPECT_EQ(ScanPackedTime(L"12:15"), 0x0000000Fu);  // no letter: 12 becomes 0
  EXPECT_EQ(ScanPackedTime(L""), 0u);
  EXPECT_EQ(ScanPackedTime(nullptr), 0u);
}

// The scanner reads what swscanf(L"%u:%u %lc") reads, whatever is typed.
TEST(PackedTime, ScansAsTheCLibrarysScannerWould) {
  for (const wchar_t* text : {L"7:5 P",
                              L"  07 : 05 PM",
                              L"07:05PM",
                              L"07:05\t\tp",
                              L"+3:+4 P",
                              L"-1:5 P",
                              L"3:-2 A",
                              L"25:61 P",
                              L"4294967296:1 P",
                              L"99999999999999999999999:1",
                              L"-99999999999999999999999:1 P",
                              L"12:",
                              L"12:x",
                              L":30 PM",
                              L"x12:30",
                              L"1 2:30",
                              L"12:30",
                              L"12:30 ",
                              L"0012:0030 PM",
                              L"\x0663:30 P",
                              L"12\xFF1A"
                              L"30 P"}) {
    unsigned hour = 0;
    unsigned minute = 0;
    wchar_t letter = L'\0';
    std::swscanf(text, L"%u:%u %lc", &hour, &minute, &letter);
    if (letter == L'P') {
      if (hour < 12) hour += 12;
    } else if (hour == 12) {
      hour = 0;
    }
    EXPECT_EQ(ScanPackedTime(text), PackTime(hour, minute)) << Narrow(text);
  }
}

}  // namespace
}  // namespace lullan
