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

TEST(PackedTime, ScansFieldByFieldAsScanfWould) {
  EXPECT_EQ(ScanPackedTime(L" 7: 5  PM"), 0x00130005u) << "blanks before numbers and the letter";
  EXPECT_EQ(ScanPackedTime(L"+7:05PM"), 0x00130005u);
  EXPECT_EQ(ScanPackedTime(L"7 :05 PM"), 0x00070000u) << "the colon must follow the hour";
  EXPECT_EQ(ScanPackedTime(L"07:05 pm"), 0x00070005u) << "only a capital P is afternoon";
  EXPECT_EQ(ScanPackedTime(L"x7:05 PM"), 0u);
}

TEST(PackedTime, EveryShownTimeScansToItself) {
  for (unsigned hour = 0; hour < 24; ++hour) {
    for (unsigned minute = 0; minute < 60; minute += 7) {
      DWORD packed = PackTime(hour, minute);
      EXPECT_EQ(ScanPackedTime(FormatPackedTime(packed).c_str()), packed) << FormatPackedTime(packed).c_str();
    }
  }
}

// What "%u:%u %c" gives the runtime's scanner, with the same rules for the
// letter: the scanner ScanPackedTime stands in for.
DWORD ScannedByTheRuntime(const wchar_t* text) {
  unsigned hour = 0;
  unsigned minute = 0;
  wchar_t letter = L'\0';
  std::swscanf(text, L"%u:%u %lc", &hour, &minute, &letter);
  if (letter == L'P') {
    if (hour < 12) hour += 12;
  } else if (hour == 12) {
    hour = 0;
  }
  return PackTime(hour, minute);
}

TEST(PackedTime, OddTextScansAsTheRuntimesScannerReadsIt) {
  const wchar_t* const texts[] = {
      L"07:5P",       L"\t12:30\tPM",      L"12:00 pm",          L" 7 :05 PM", L"7: 05 PM",     L"+7:05 PM",
      L"-1:05 PM",    L"7:-5 PM",          L"x7:05 PM",          L"7:",        L"+:05 PM",      L"7:+ PM",
      L"99999:99 PM", L"4294967297:00 PM", L"-4294967297:00 PM", L"7:05 \n P", L"12:30 \x00e9", L"  "};
  for (const wchar_t* text : texts) EXPECT_EQ(ScanPackedTime(text), ScannedByTheRuntime(text)) << Narrow(text);
}

TEST(PackedTime, TextWithoutLetterOrTimeDoesNotCrash) {
  EXPECT_EQ(ScanPackedTime(L"12:15"), 0x0000000Fu);  // no letter: 12 becomes 0
  EXPECT_EQ(ScanPackedTime(L""), 0u);
  EXPECT_EQ(ScanPackedTime(nullptr), 0u);
}

}  // namespace
}  // namespace lullan
