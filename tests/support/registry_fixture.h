// Registry helpers for tests that do real registry work in the prefix.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "handles.h"

namespace lullan::test {

// Deletes `path` under `root` and everything below it; ERROR_SUCCESS when gone.
LSTATUS DeleteTree(HKEY root, const std::wstring& path);

// A key of its own for one test under HKEY_CURRENT_USER\Software\LullanTests,
// removed with everything below it when the owner goes.
class ScratchKey {
 public:
  explicit ScratchKey(const std::wstring& label = L"scratch");
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY get() const { return key_.get(); }
  const std::wstring& path() const { return path_; }  // below HKEY_CURRENT_USER

 private:
  std::wstring path_;
  unique_hkey key_;
};

// Small readers and writers, so tests state registry contents in one line.
void WriteString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value);
void WriteDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value);
void WriteRaw(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size);
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name);
std::optional<DWORD> ReadDword(HKEY root, const std::wstring& path, const wchar_t* name);
// Type and size of a stored value, when it exists.
struct ValueInfo {
  DWORD type;
  DWORD size;
};
std::optional<ValueInfo> QueryValueInfo(HKEY root, const std::wstring& path, const wchar_t* name);
bool KeyExists(HKEY root, const std::wstring& path);
DWORD CountValues(HKEY root, const std::wstring& path);

}  // namespace lullan::test
