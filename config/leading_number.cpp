#include "leading_number.h"

namespace lullan::config {

DWORD LeadingNumber(std::wstring_view text) {
  size_t start = text.find_first_not_of(L" \t");
  text.remove_prefix(start == std::wstring_view::npos ? text.size() : start);
  DWORD number = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    DWORD digit = static_cast<DWORD>(c - L'0');
    if (number > (MAXDWORD - digit) / 10) return MAXDWORD;
    number = number * 10 + digit;
  }
  return number;
}

}  // namespace lullan::config
