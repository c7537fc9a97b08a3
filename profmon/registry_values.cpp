#include "registry_values.h"

#include "registry_value.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {
// The monitor's fields hold at most `capacity - 1` characters: a text stored
// in more than `capacity` characters is refused, and one of exactly that many
// without a terminator ends one short.
bool Fill(const std::optional<std::wstring>& text, wchar_t* buffer, size_t capacity) {
  if (!text) return false;
  CopyText(buffer, capacity, *text);
  return true;
}
}  // namespace

bool ReadDwordValue(HKEY key, const wchar_t* name, DWORD* value) {
  std::optional<DWORD> stored = registry::TryGetDword(key, name);
  if (stored) *value = *stored;
  return stored.has_value();
}

bool ReadStringValue(HKEY key, const wchar_t* name, wchar_t* buffer, size_t capacity, DWORD* type) {
  if (capacity == 0) return false;
  return Fill(registry::TryGetText(key, name, capacity, type), buffer, capacity);
}

bool ReadPathValue(HKEY key, const wchar_t* name, wchar_t* buffer, size_t capacity) {
  if (capacity == 0) return false;
  return Fill(registry::TryGetExpandedText(key, name, capacity), buffer, capacity);
}

}  // namespace lullan::profmon
