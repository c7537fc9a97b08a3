// quitsrv's command line: the text after the program name is split into
// tokens at "-" and "/", and the first token, in any case, decides. So the
// switches work behind either character, "RegServer" works without one, and
// a token with a trailing blank is not recognised.
#pragma once

#include <string_view>

namespace lullan {

enum class QuitsrvAction {
  kInteractive,  // empty command line: someone started the program by hand
  kRegister,     // "RegServer"
  kUnregister,   // "UnregServer"
  kServe,        // "Embedding": COM started us for a caller
  kNothing,      // anything else
};

QuitsrvAction ParseQuitsrvCommandLine(std::string_view arguments);

}  // namespace lullan
