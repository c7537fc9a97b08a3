#include "quitsrv_command_line.h"

#include <windows.h>

#include <string>

namespace lullan {

namespace {

constexpr std::string_view kSeparators = "-/";

std::string_view FirstToken(std::string_view text) {
  size_t start = text.find_first_not_of(kSeparators);
  if (start == std::string_view::npos) return {};
  size_t end = text.find_first_of(kSeparators, start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

bool SameWord(std::string_view token, const char* word) { return ::lstrcmpiA(std::string(token).c_str(), word) == 0; }

}  // namespace

QuitsrvAction ParseQuitsrvCommandLine(std::string_view arguments) {
  if (arguments.empty()) return QuitsrvAction::kInteractive;
  std::string_view token = FirstToken(arguments);
  if (SameWord(token, "RegServer")) return QuitsrvAction::kRegister;
  if (SameWord(token, "UnregServer")) return QuitsrvAction::kUnregister;
  if (SameWord(token, "Embedding")) return QuitsrvAction::kServe;
  return QuitsrvAction::kNothing;
}

}  // namespace lullan
