// What a path read from another machine may be opened as, told by its text.
#include "local_path.h"

#include <gtest/gtest.h>

#include "text_format.h"

namespace lullan::test {
namespace {

TEST(LocalFilePath, OnlyPathsThatCanNameNothingButAFileOfThisComputerPass) {
  struct Case {
    const wchar_t* path;
    bool local;
  } cases[] = {
      {L"C:\\Sounds\\bye.wav", true},
      {L"c:/sounds/bye.wav", true},
      {L"bye.wav", true},
      {L"Sounds\\bye.wav", true},
      {L"\\Sounds\\bye.wav", true},  // the current drive's root
      {L"D:bye.wav", true},          // the current folder of drive D:
      {L"C:\\Sounds\\console.wav", true},
      {L"C:\\Sounds\\com10.wav", true},
      {L"", false},
      {L"\\\\attacker\\sounds\\bye.wav", false},
      {L"//attacker/sounds/bye.wav", false},
      {L"\\/attacker\\sounds\\bye.wav", false},
      {L"\\\\?\\UNC\\attacker\\sounds\\bye.wav", false},
      {L"\\\\?\\C:\\Sounds\\bye.wav", false},
      {L"\\\\.\\pipe\\sounds", false},
      {L"\\??\\UNC\\attacker\\sounds\\bye.wav", false},
      {L"/?"
       L"?/C:/Sounds/bye.wav",
       false},  // (split: "??/" would be a trigraph)
      {L"C:\\Sounds\\com1.wav", false},
      {L"C:\\Sounds\\LPT9", false},
      {L"nul", false},
      {L"Con .wav", false},
      {L"C:\\Sounds\\conin$.wav", false},
      {L"COM1:", false},
      {L"C:\\Sounds\\bye.wav:hidden", false},
      {L"1:\\Sounds\\bye.wav", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsLocalFilePath(c.path), c.local) << Narrow(c.path);
}

}  // namespace
}  // namespace lullan::test
