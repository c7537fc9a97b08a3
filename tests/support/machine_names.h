// Names the fakes match the way Windows matches them: a machine with or
// without its leading "\\", in any case; a service name in any case.
#pragma once

#include <algorithm>
#include <cwctype>
#include <string>

namespace lullan::test {

inline std::wstring UpperCase(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
  return text;
}

// The key a machine is known by: "\\pc-017", "PC-017" and "pc-017" are one machine.
inline std::wstring MachineKey(const wchar_t* name) {
  std::wstring plain = name ? name : L"";
  if (plain.rfind(L"\\\\", 0) == 0) plain.erase(0, 2);
  return UpperCase(std::move(plain));
}
inline std::wstring MachineKey(const std::wstring& name) { return MachineKey(name.c_str()); }

// What a recorder keeps of a string argument: the text, or empty for none.
inline std::wstring Recorded(const wchar_t* text) { return text ? text : L""; }

}  // namespace lullan::test
