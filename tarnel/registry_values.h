// Values read as whoever wrote them stored them: another computer's registry,
// or a value set by hand. A number is a REG_DWORD of exactly four bytes; a
// text is a REG_SZ or REG_EXPAND_SZ, up to its first null character or its
// stored size. Anything else (another type, another size, a text too long to
// be anything the console shows) reads as absent, and nothing overruns.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lullan::tarnel {

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name);
std::optional<std::wstring> ReadText(HKEY key, const wchar_t* name);

}  // namespace lullan::tarnel
