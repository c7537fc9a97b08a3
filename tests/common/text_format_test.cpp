#include "text_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

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

// The terminator needs a place of its own: a text as long as the buffer is
// cut by one, and nothing past the buffer is touched.
TEST(TextFormat, CopiesFitTheirTerminatorInsideTheBuffer) {
  struct Case {
    size_t length;
    bool whole;
    size_t kept;
  };
  constexpr size_t kCapacity = 4;
  for (const Case& c : {Case{0, true, 0}, Case{3, true, 3}, Case{4, false, 3}, Case{5, false, 3}}) {
    SCOPED_TRACE(FormatTextA("a text of %u characters in a buffer of %u", static_cast<unsigned>(c.length),
                             static_cast<unsigned>(kCapacity)));
    wchar_t wide[kCapacity + 1];
    std::fill(std::begin(wide), std::end(wide), L'#');
    EXPECT_EQ(CopyText(wide, kCapacity, std::wstring(c.length, L'w')), c.whole);
    EXPECT_EQ(std::wstring(wide), std::wstring(c.kept, L'w'));
    EXPECT_EQ(wide[kCapacity], L'#') << "written past the buffer";

    char narrow[kCapacity + 1];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(CopyTextA(narrow, kCapacity, std::string(c.length, 'n')), c.whole);
    EXPECT_EQ(std::string(narrow), std::string(c.kept, 'n'));
    EXPECT_EQ(narrow[kCapacity], '#') << "written past the buffer";
  }
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
