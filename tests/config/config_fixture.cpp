#include "config_fixture.h"

#include "message_box.h"
#include "registry_fixture.h"
#include "text_format.h"

namespace lullan::test {

namespace {
std::wstring NewRoot() {
  static LONG counter = 0;
  return FormatText(L"SOFTWARE\\LullanTests\\config-%lu-%ld", ::GetCurrentProcessId(),
                    ::InterlockedIncrement(&counter));
}
}  // namespace

ConfigTest::ConfigTest()
    : root(NewRoot()),
      versionKey(root + L"\\1.11"),
      consoleKey(versionKey + L"\\Tarnel"),
      setup(versionKey),
      console(consoleKey, L"\\\\DC01") {
  ui::SetProgramTitle(L"Config test");
  DeleteTree(HKEY_LOCAL_MACHINE, root);
}

ConfigTest::~ConfigTest() { DeleteTree(HKEY_LOCAL_MACHINE, root); }

void ConfigTest::Store(const std::wstring& key, const wchar_t* name, DWORD number) {
  WriteDword(HKEY_LOCAL_MACHINE, key, name, number);
}

void ConfigTest::Store(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  WriteString(HKEY_LOCAL_MACHINE, key, name, text);
}

void ConfigTest::StoreRaw(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  WriteRaw(HKEY_LOCAL_MACHINE, key, name, type, data, size);
}

std::optional<DWORD> ConfigTest::Number(const std::wstring& key, const wchar_t* name) const {
  return ReadDword(HKEY_LOCAL_MACHINE, key, name);
}

std::optional<std::wstring> ConfigTest::Text(const std::wstring& key, const wchar_t* name) const {
  return ReadString(HKEY_LOCAL_MACHINE, key, name);
}

std::set<std::wstring> ConfigTest::ValueNames(const std::wstring& key) const {
  std::set<std::wstring> names;
  unique_hkey opened;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = ARRAYSIZE(name);
    if (::RegEnumValueW(opened.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.insert(name);
  }
  return names;
}

}  // namespace lullan::test
