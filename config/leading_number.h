// The number an administrator means by what is typed in a numeric edit.
#pragma once

#include <windows.h>

#include <string_view>

namespace lullan::config {

// The leading decimal number of `text` after any blanks, 0 when it has none.
// There is no sign (a negative number would be stored as a huge one) and no
// other check; a number too big for a DWORD is the largest one.
DWORD LeadingNumber(std::wstring_view text);

}  // namespace lullan::config
