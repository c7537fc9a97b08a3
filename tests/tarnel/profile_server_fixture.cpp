#include "profile_server_fixture.h"

namespace lullan::test {

ProfileServerTest::ProfileServerTest() : clock(2026, 12, 7, 14, 5) {
  stamps_.Use(clock);
  app.InitInstance();  // the console has started once: its key exists
}

void ProfileServerTest::Profile(const std::wstring& profile) {
  WriteDword(HKEY_LOCAL_MACHINE, ProfileKey(profile) + L"\\Groups", L"Staff", 1);
}

std::vector<std::wstring> ProfileServerTest::Subkeys(const std::wstring& path) {
  std::vector<std::wstring> names;
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return names;
  unique_hkey key(opened);
  for (DWORD index = 0;; ++index) {
    wchar_t name[256] = {};
    DWORD length = ARRAYSIZE(name);
    if (::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::wstring> ProfileServerTest::Texts(const DialogSession& session) {
  std::vector<std::wstring> texts;
  for (const SeenDialog& box : session.boxes()) texts.push_back(box.caption + L": " + box.Text());
  return texts;
}

std::wstring ProfileServerTest::Box(const std::wstring& text) {
  return std::wstring(tarnel::kProgramTitle) + L": " + text;
}

}  // namespace lullan::test
