#include "built_files.h"

#include <algorithm>

#include "text_format.h"

namespace lullan::test {

namespace {
std::wstring WindowsPath(const char* unixPath) {
  std::wstring path = L"Z:" + Widen(unixPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}
}  // namespace

std::wstring ProductFolder() { return WindowsPath(LOGOFFCOM_PRODUCT_DIR); }
std::wstring RecordingFolder() { return WindowsPath(LOGOFFCOM_RECORDING_DIR); }
std::wstring ProductFile(const wchar_t* name) { return ProductFolder() + L"\\" + name; }
std::wstring RecordingFile(const wchar_t* name) { return RecordingFolder() + L"\\" + name; }

ScratchFolder::ScratchFolder(const wchar_t* label) {
  static LONG counter = 0;
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(ARRAYSIZE(temp), temp);
  path_ = FormatText(L"%s%s-%lu-%ld", temp, label, ::GetCurrentProcessId(), ::InterlockedIncrement(&counter));
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  for (const std::wstring& file : files_) ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(path_.c_str());
}

std::wstring ScratchFolder::Copy(const std::wstring& file) {
  std::wstring copy = path_ + file.substr(file.find_last_of(L'\\'));
  if (!::CopyFileW(file.c_str(), copy.c_str(), FALSE)) return {};
  files_.push_back(copy);
  return copy;
}

}  // namespace lullan::test
