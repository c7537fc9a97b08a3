// Bounded text formatting and conversion. The format strings follow the
// Windows conventions the product's texts are written in: in a wide format
// "%s" takes a wide string, in a narrow one a narrow string.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <string_view>

namespace lullan {

// Formats into a string that grows as needed (bounded by STRSAFE_MAX_CCH).
std::wstring FormatText(const wchar_t* format, ...);
std::wstring FormatTextV(const wchar_t* format, va_list args);
// The narrow forms are checked by the compiler against the Microsoft C
// runtime's rules, which are the ones StringCchVPrintfA applies.
std::string FormatTextA(const char* format, ...) __attribute__((format(ms_printf, 1, 2)));

// Formats into a fixed buffer of `capacity` characters, truncating; the
// buffer is always terminated. Returns false when the text was cut.
bool FormatInto(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);
bool FormatIntoA(char* buffer, size_t capacity, const char* format, ...) __attribute__((format(ms_printf, 3, 4)));

// Copies with truncation; the destination is always terminated.
bool CopyText(wchar_t* buffer, size_t capacity, std::wstring_view text);
bool CopyTextA(char* buffer, size_t capacity, std::string_view text);

// A program's path as the first word of a command line: quoted when it holds
// a blank, so that the system cannot take its first word for the program
// ("C:\Program.exe" for "C:\Program Files\...").
std::wstring ProgramCommand(std::wstring_view path);
std::string ProgramCommandA(std::string_view path);

std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP);

}  // namespace lullan
