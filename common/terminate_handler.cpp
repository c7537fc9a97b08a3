// Linked into every program and library that ships (cmake/Dist.cmake).
//
// When an exception escapes, the C++ runtime's default terminate handler
// prints the exception's type to standard error, and to name the type it
// carries a complete C++ name demangler with the formatted-output code that
// comes with it: about 77 KB in every program. Our programs are windowless
// servers, services and dialog programs with no standard error to read, and
// no exception is meant to escape them (every window procedure, COM method
// and thread catches at its boundary), so this handler only ends the
// process, as the default one does after printing.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
