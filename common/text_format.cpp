#include "text_format.h"

#include <strsafe.h>

#include <vector>

namespace lullan {

std::wstring FormatTextV(const wchar_t* format, va_list args) {
  for (size_t capacity = 256; capacity <= STRSAFE_MAX_CCH; capacity *= 2) {
    std::vector<wchar_t> buffer(capacity);
    va_list attempt;
    va_copy(attempt, args);
    HRESULT hr = ::StringCchVPrintfW(buffer.data(), capacity, format, attempt);
    va_end(attempt);
    if (hr != STRSAFE_E_INSUFFICIENT_BUFFER) return std::wstring(buffer.data());
  }
  return std::wstring();
}

std::wstring FormatText(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatTextV(format, args);
  va_end(args);
  return text;
}

std::string FormatTextA(const char* format, ...) {
  for (size_t capacity = 256; capacity <= STRSAFE_MAX_CCH; capacity *= 2) {
    std::vector<char> buffer(capacity);
    va_list args;
    va_start(args, format);
    HRESULT hr = ::StringCchVPrintfA(buffer.data(), capacity, format, args);
    va_end(args);
    if (hr != STRSAFE_E_INSUFFICIENT_BUFFER) return std::string(buffer.data());
  }
  return std::string();
}

bool FormatInto(wchar_t* buffer, size_t capacity, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  HRESULT hr = ::StringCchVPrintfW(buffer, capacity, format, args);
  va_end(args);
  return SUCCEEDED(hr);
}

bool FormatIntoA(char* buffer, size_t capacity, const char* format, ...) {
  va_list args;
  va_start(args, format);
  HRESULT hr = ::StringCchVPrintfA(buffer, capacity, format, args);
  va_end(args);
  return SUCCEEDED(hr);
}

bool CopyText(wchar_t* buffer, size_t capacity, std::wstring_view text) {
  if (capacity == 0) return false;
  size_t n = text.size() < capacity ? text.size() : capacity - 1;
  text.copy(buffer, n);
  buffer[n] = L'\0';
  return n == text.size();
}

bool CopyTextA(char* buffer, size_t capacity, std::string_view text) {
  if (capacity == 0) return false;
  size_t n = text.size() < capacity ? text.size() : capacity - 1;
  text.copy(buffer, n);
  buffer[n] = '\0';
  return n == text.size();
}

namespace {
template <typename Char>
std::basic_string<Char> QuotedIfBlank(std::basic_string_view<Char> path) {
  constexpr Char kBlanks[] = {' ', '\t', '\0'};
  if (path.find_first_of(kBlanks) == std::basic_string_view<Char>::npos) return std::basic_string<Char>(path);
  std::basic_string<Char> quoted(1, Char('"'));
  quoted.append(path).push_back(Char('"'));
  return quoted;
}
}  // namespace

std::wstring ProgramCommand(std::wstring_view path) { return QuotedIfBlank(path); }
std::string ProgramCommandA(std::string_view path) { return QuotedIfBlank(path); }

std::wstring Widen(std::string_view text, UINT codePage) {
  if (text.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
  return result;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
  if (text.empty()) return std::string();
  int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), n, nullptr, nullptr);
  return result;
}

}  // namespace lullan
