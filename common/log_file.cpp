#include "log_file.h"

#include <cwchar>

#include "error_text.h"
#include "text_format.h"

namespace lullan {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.size() >= start.size() && ::_wcsnicmp(text.data(), start.data(), start.size()) == 0;
}

bool IsNamed(std::wstring_view text, std::wstring_view name) {
  return text.size() == name.size() && StartsWith(text, name);
}

// The share of a UNC path ("pipe" in "\\server\pipe\name"), or empty.
std::wstring_view ShareOf(std::wstring_view path) {
  if (!StartsWith(path, L"\\\\")) return {};
  size_t serverEnd = path.find(L'\\', 2);
  if (serverEnd == std::wstring_view::npos) return {};
  size_t shareEnd = path.find(L'\\', serverEnd + 1);
  return path.substr(serverEnd + 1, shareEnd == std::wstring_view::npos ? shareEnd : shareEnd - serverEnd - 1);
}

std::wstring ErrorReason(DWORD error) {
  return FormatText(L"%s (error %lu)", SystemErrorText(error).c_str(), static_cast<unsigned long>(error));
}

}  // namespace

bool IsDevicePath(std::wstring_view path) {
  std::wstring backslashed(path);
  for (wchar_t& c : backslashed) {
    if (c == L'/') c = L'\\';
  }
  if (StartsWith(backslashed, L"\\\\.\\") || StartsWith(backslashed, L"\\\\?\\") || StartsWith(backslashed, L"\\??\\"))
    return true;
  std::wstring_view share = ShareOf(backslashed);
  return IsNamed(share, L"pipe") || IsNamed(share, L"mailslot");
}

// A pipe's server must not be able to act as the service, so the open grants
// identification only; and nothing but a plain file on disk with no other
// name is written (emptying or appending to a hard link would change the file
// it links).
std::wstring OpenLogFile(const std::wstring& path, LogOpening opening, unique_file* file) {
  if (IsDevicePath(path)) return L"a device, not a folder";
  unique_file opened(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                   nullptr));
  if (!opened) return ErrorReason(::GetLastError());
  if (::GetFileType(opened.get()) != FILE_TYPE_DISK) return L"not a file on disk";
  BY_HANDLE_FILE_INFORMATION information;
  if (!::GetFileInformationByHandle(opened.get(), &information)) return ErrorReason(::GetLastError());
  if (information.nNumberOfLinks > 1) return L"the file has other links";
  // Checked first, emptied or wound to its end now: the file is the log's own.
  if (opening == LogOpening::kEmpty) {
    if (!::SetEndOfFile(opened.get())) return ErrorReason(::GetLastError());
  } else {
    LARGE_INTEGER none{};
    if (!::SetFilePointerEx(opened.get(), none, nullptr, FILE_END)) return ErrorReason(::GetLastError());
  }
  *file = std::move(opened);
  return {};
}

std::string FormatLogLine(const SYSTEMTIME& time, std::wstring_view text) {
  std::wstring line = FormatText(L"%d/%d/%d %d:%02d ", time.wMonth, time.wDay, time.wYear, time.wHour, time.wMinute);
  line.append(text);
  if (line.back() != L'\n') line += L'\n';
  return Narrow(line);
}

bool WriteLogLine(HANDLE file, std::string_view line) {
  std::string text;
  text.reserve(line.size() + 2);
  for (char c : line) {
    if (c == '\n') text += '\r';
    text += c;
  }
  DWORD written = 0;
  return ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

}  // namespace lullan
