// Bounded reads of the monitor's own settings. Whatever the registry holds
// (a value too long, of the wrong type, a string without its terminator), a
// read either fills the buffer with a terminated text or reports failure.
#pragma once

#include <windows.h>

#include <cstddef>

namespace lullan::profmon {

// Reads a REG_DWORD; false when the value is missing, too long or of another type.
bool ReadDwordValue(HKEY key, const wchar_t* name, DWORD* value);

// Reads a text of at most `capacity - 1` characters into `buffer` (REG_SZ or
// REG_EXPAND_SZ, which `type` tells when given). On failure the buffer is
// left as it was.
bool ReadStringValue(HKEY key, const wchar_t* name, wchar_t* buffer, size_t capacity, DWORD* type = nullptr);

template <size_t N>
bool ReadStringValue(HKEY key, const wchar_t* name, wchar_t (&buffer)[N]) {
  return ReadStringValue(key, name, buffer, N);
}

// A folder: read as a text, and a REG_EXPAND_SZ one with its environment
// variables expanded ("%SystemRoot%\Logs"). The expanded text must fit too.
bool ReadPathValue(HKEY key, const wchar_t* name, wchar_t* buffer, size_t capacity);

template <size_t N>
bool ReadPathValue(HKEY key, const wchar_t* name, wchar_t (&buffer)[N]) {
  return ReadPathValue(key, name, buffer, N);
}

}  // namespace lullan::profmon
