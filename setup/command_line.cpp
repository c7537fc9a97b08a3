#include "command_line.h"

namespace lullan::setup {

namespace {
// The command line after the program's path, as the C runtime splits it off.
std::wstring_view Arguments(std::wstring_view commandLine) {
  if (!commandLine.empty() && commandLine.front() == L'"') {
    size_t closing = commandLine.find(L'"', 1);
    return closing == std::wstring_view::npos ? std::wstring_view() : commandLine.substr(closing + 1);
  }
  size_t blank = commandLine.find_first_of(L" \t");
  return blank == std::wstring_view::npos ? std::wstring_view() : commandLine.substr(blank);
}
}  // namespace

bool IsUninstallCommandLine(std::wstring_view commandLine) {
  std::wstring_view arguments = Arguments(commandLine);
  size_t at = arguments.find_first_of(L"/-");
  if (at == std::wstring_view::npos || at + 1 >= arguments.size()) return false;
  wchar_t mode = arguments[at + 1];
  return mode == L'u' || mode == L'U' || mode == L'r' || mode == L'R';
}

}  // namespace lullan::setup
