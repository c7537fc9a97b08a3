#include "local_path.h"

#include <windows.h>

#include <initializer_list>

namespace lullan {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool SameLetters(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The names Windows opens as devices in any folder and with any extension
// ("C:\Sounds\com1.wav" is the first serial port).
bool IsDeviceName(std::wstring_view name) {
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
  for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"}) {
    if (SameLetters(name, device)) return true;
  }
  if (name.size() != 4 || name[3] < L'0' || name[3] > L'9') return false;
  return SameLetters(name.substr(0, 3), L"COM") || SameLetters(name.substr(0, 3), L"LPT");
}

}  // namespace

bool IsLocalFilePath(std::wstring_view path) {
  if (path.empty()) return false;
  // "\\server\share", "\\.\device", "\\?\..." and the same with slashes.
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return false;
  // "\??\", the object manager's own namespace.
  if (path.size() >= 4 && IsSeparator(path[0]) && path[1] == L'?' && path[2] == L'?' && IsSeparator(path[3]))
    return false;
  const bool drive = path.size() >= 2 && path[1] == L':' &&
                     ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
  if (path.find(L':', drive ? 2 : 0) != std::wstring_view::npos) return false;
  size_t last = path.find_last_of(L"\\/");
  return !IsDeviceName(path.substr(last == std::wstring_view::npos ? (drive ? 2 : 0) : last + 1));
}

}  // namespace lullan
