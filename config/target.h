// The configuration target: the text that says what one configuration sheet
// edits. "*name" is the shared profile of that name; any other text is a
// machine, whose configuration the console edits in its local copy key.
// setup's sheets carry no target: they always edit the version key.
#pragma once

#include <string>
#include <string_view>

namespace lullan::config {

class Target {
 public:
  Target() = default;  // no target: setup's local configuration
  explicit Target(std::wstring text) : text_(std::move(text)) {}
  static Target Profile(std::wstring_view name);  // "*%s"
  static Target Machine(std::wstring_view name) { return Target(std::wstring(name)); }

  const std::wstring& text() const noexcept { return text_; }
  bool IsProfile() const noexcept { return !text_.empty() && text_.front() == L'*'; }
  // The profile's name (the text without its asterisk), or the machine's name.
  std::wstring_view Name() const noexcept;

 private:
  std::wstring text_;
};

// The key (under HKEY_LOCAL_MACHINE) that the console's pages edit for
// `target`: "%s\Profiles\%s" from the console key and the profile name, or
// "%s\%s" from the console key and the machine name. An empty target names
// no machine and gives an empty path, on which the pages refuse to work
// rather than write into the console key itself.
std::wstring TargetKeyPath(std::wstring_view consoleKeyPath, const Target& target);

}  // namespace lullan::config
