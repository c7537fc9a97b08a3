#include "console.h"

#include <cstdarg>
#include <cstdio>

#include "text_format.h"

namespace lullan::profmon {

void Print(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatTextV(format, args);
  va_end(args);
  std::fputs(Narrow(text).c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace lullan::profmon
