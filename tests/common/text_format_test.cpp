#include "text_format.h"

#include <gtest/gtest.h>

#include "error_text.h"
#include "product.h"

namespace lullan {
namespace {

TEST(TextFormat, WideFormatTakesWideStringsForPercentS) {
  EXPECT_EQ(FormatText(L"%s\\%s", L"SOFTWARE\\Fennick\\Lullan", L"1.11"), L"SOFTWARE\\Fennick\\Lullan\\1.11");
  EXPECT_EQ(FormatTextA("%s error %lu", "tarnel", 5ul), "tarnel error 5");
}

TEST(TextFormat, LongTextsGrowInsteadOfBeingCut) {
  std::wstring long_text(5000, L'x');
  EXPECT_EQ(FormatText(L"<%s>", long_text.c_str()).size(), 5002u);
}

TEST(TextFormat, FixedBuffersAreCutAndTerminated) {
  wchar_t buffer[8];
  EXPECT_FALSE(FormatInto(buffer, 8, L"%s", L"0123456789"));
  EXPECT_STREQ(buffer, L"0123456");
  EXPECT_TRUE(CopyText(buffer, 8, L"abc"));
  EXPECT_STREQ(buffer, L"abc");
  EXPECT_FALSE(CopyText(buffer, 4, L"abcdef"));
  EXPECT_STREQ(buffer, L"abc");
}

TEST(TextFormat, ConvertsBetweenCodePages) {
  EXPECT_EQ(Widen("LConfigMon"), L"LConfigMon");
  EXPECT_EQ(Narrow(L"Lullan Configuration Monitor"), "Lullan Configuration Monitor");
  EXPECT_EQ(Widen(""), L"");
}

TEST(ErrorText, GivesTheSystemTextWithoutLineEnd) {
  std::wstring text = SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), L'\n');
  EXPECT_NE(text.find(L"ile"), std::wstring::npos) << text.c_str();  // "File not found." / "...the file..."
  EXPECT_TRUE(SystemErrorText(0x2FFFFFFF).empty());
}

TEST(ProductKeys, AreFormedFromTheProductKeyAndVersion) {
  EXPECT_EQ(VersionKeyPath(), L"SOFTWARE\\Fennick\\Lullan\\1.11");
  EXPECT_EQ(ConsoleKeyPath(), L"SOFTWARE\\Fennick\\Lullan\\1.11\\Tarnel");
  EXPECT_EQ(ProfileKeyPath(L"stdLogoff"), L"SOFTWARE\\Fennick\\Lullan\\1.11\\Tarnel\\Profiles\\stdLogoff");
  EXPECT_EQ(LocalCopyKeyPath(L"WS01"), L"SOFTWARE\\Fennick\\Lullan\\1.11\\Tarnel\\WS01");
  EXPECT_EQ(GroupsKeyPath(ProfileKeyPath(L"p")), L"SOFTWARE\\Fennick\\Lullan\\1.11\\Tarnel\\Profiles\\p\\Groups");
}

}  // namespace
}  // namespace lullan
