// Random registry contents for a configuration key: what a damaged, hand-
// edited or foreign configuration can hold. Every value of the schema is
// absent or stored with a random type and random data of up to 4 KB (plausible
// numbers and texts, texts with and without their terminator, odd sizes,
// plain noise), and the Groups subkey is absent or holds values with random
// names, types and data.
//
//   RandomConfiguration c = MakeRandomConfiguration(seed, caseNumber);
//   Store(c, keyPath);           // the key is made afresh
//
// A configuration depends on the seed and the case number alone, so any case
// can be made again on its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lullan::bench {

// A registry value as stored: its type and its bytes.
struct RawValue {
  DWORD type;
  std::vector<BYTE> data;
  bool operator==(const RawValue&) const = default;
};

struct NamedValue {
  std::wstring name;
  RawValue value;
};

struct RandomConfiguration {
  std::vector<NamedValue> values;  // schema values; the others are absent
  bool hasGroups = false;          // the Groups subkey exists
  std::vector<NamedValue> groups;  // its values
  bool groupsHasSubkey = false;    // and a subkey of its own, which nothing expects
};

RandomConfiguration MakeRandomConfiguration(uint64_t seed, uint64_t caseNumber);

// Replaces every code unit for which `keptOut` is true, in the value names
// and in the data of every value read as UTF-16 (two bytes at a time from
// the start, as the pages read texts), with a question mark.
void KeepOut(RandomConfiguration& c, bool (*keptOut)(wchar_t));

// Replaces whatever is at `keyPath` (under HKEY_LOCAL_MACHINE) with `c`;
// false when the key cannot be made. A value the registry refuses (a name
// too long for it) is left out of `c`, so `c` says what was stored.
bool Store(RandomConfiguration& c, const std::wstring& keyPath);

// What a key holds now, value by value (nullopt: absent).
std::optional<RawValue> ReadRaw(HKEY key, const wchar_t* name);
// Every value of a key, in no particular order; empty when it cannot be opened.
std::vector<NamedValue> ReadAll(const std::wstring& keyPath);

}  // namespace lullan::bench
