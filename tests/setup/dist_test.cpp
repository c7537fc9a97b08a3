// dist/, the folder an administrator runs setup.exe from: it holds every
// file of setup's file table that the suite makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "file_table.h"
#include "build_paths.h"
#include "text_format.h"

namespace lullan::test {
namespace {

std::wstring DistFolder() { return WindowsPathOf(LULLAN_DIST_DIR); }

std::vector<unsigned char> Bytes(const std::wstring& path) {
  std::ifstream file(Narrow(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

unsigned Little(const std::vector<unsigned char>& bytes, size_t at, size_t count) {
  unsigned value = 0;
  for (size_t i = count; i-- > 0;) value = value << 8 | bytes.at(at + i);
  return value;
}

TEST(DistFolder, HoldsEveryFileOfTheTableThatTheSuiteMakes) {
  const std::wstring dist = DistFolder();
  // Windows's own libraries, and the real service's helper, which the stand-in does without.
  std::vector<std::wstring> notOurs = {L"psapi.dll", L"pdh.dll", L"actwatch.dll"};
  if (!LULLAN_BUILDS_TARNEL) notOurs.push_back(L"tarnel.exe");
  for (const setup::InstallFileEntry& row : setup::MakeFileTable(L"setup.exe", dist)) {
    bool ours = std::find(notOurs.begin(), notOurs.end(), row.name) == notOurs.end();
    EXPECT_EQ(setup::FileExists(row.Path()), ours) << Narrow(row.name);
  }
}

TEST(DistFolder, TheSampleSoundsAreShortPlainWaveFiles) {
  for (const wchar_t* name :
       {L"boing.wav", L"boioing.wav", L"carhorn.wav", L"shoot.wav", L"Xylophone.wav", L"zap.wav"}) {
    SCOPED_TRACE(Narrow(name));
    std::vector<unsigned char> wav = Bytes(DistFolder() + L"\\" + name);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Little(wav, 4, 4), wav.size() - 8) << "the RIFF size";
    EXPECT_EQ(Little(wav, 20, 2), 1u) << "PCM";
    unsigned bytesPerSecond = Little(wav, 28, 4);
    unsigned dataBytes = Little(wav, 40, 4);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(dataBytes, wav.size() - 44);
    EXPECT_GT(dataBytes, bytesPerSecond / 10) << "at least a tenth of a second";
    EXPECT_LT(dataBytes, bytesPerSecond * 2) << "under two seconds";
  }
}

}  // namespace
}  // namespace lullan::test
