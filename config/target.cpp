#include "target.h"

#include "text_format.h"

namespace lullan::config {

Target Target::Profile(std::wstring_view name) { return Target(FormatText(L"*%s", std::wstring(name).c_str())); }

std::wstring_view Target::Name() const noexcept {
  std::wstring_view name = text_;
  if (IsProfile()) name.remove_prefix(1);
  return name;
}

std::wstring TargetKeyPath(std::wstring_view consoleKeyPath, const Target& target) {
  std::wstring console(consoleKeyPath);
  std::wstring name(target.Name());
  if (target.IsProfile()) return FormatText(L"%s\\Profiles\\%s", console.c_str(), name.c_str());
  if (name.empty()) return std::wstring();
  return FormatText(L"%s\\%s", console.c_str(), name.c_str());
}

}  // namespace lullan::config
