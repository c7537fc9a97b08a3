#include "error_text.h"

#include "handles.h"

namespace lullan {

namespace {

template <typename Char>
void TrimLineEnd(std::basic_string<Char>& text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
}

}  // namespace

std::wstring SystemErrorText(DWORD code) {
  unique_local_memory buffer;
  DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (n == 0 || !buffer) return std::wstring();
  std::wstring text(static_cast<const wchar_t*>(buffer.get()), n);
  TrimLineEnd(text);
  return text;
}

std::string SystemErrorTextA(DWORD code) {
  unique_local_memory buffer;
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(buffer.put()), 0, nullptr);
  if (n == 0 || !buffer) return std::string();
  std::string text(static_cast<const char*>(buffer.get()), n);
  TrimLineEnd(text);
  return text;
}

}  // namespace lullan
