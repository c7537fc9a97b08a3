// Linked into every shipped program with C++ code (cmake/Dist.cmake).
//
// The C++ runtime throws its standard exceptions (length_error, out_of_range
// and the like) from one object of its library, and those exceptions carry
// their message in the runtime's older copy-on-write string: linking that
// object brings in the whole of that string class and more, about 80 KB. The
// programs ship under 400 KiB each, setup and the console with the
// configuration pages in them, so they throw these lighter ones instead:
// each still a std::exception with the runtime's own message (the format
// itself, for the one formatted message), caught where the programs catch
// everything, at their window procedures, COM methods and thread
// boundaries. No code of the suite catches one of these types by name.
// Allocation failures still throw std::bad_alloc, which is caught as such.
#include <bits/functexcept.h>

#include <exception>
#include <new>
#include <typeinfo>

namespace {

class RuntimeFault final : public std::exception {
 public:
  explicit RuntimeFault(const char* what) noexcept : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;  // the runtime's messages are literals
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* what) { throw RuntimeFault(what); }
void __throw_domain_error(const char* what) { throw RuntimeFault(what); }
void __throw_invalid_argument(const char* what) { throw RuntimeFault(what); }
void __throw_length_error(const char* what) { throw RuntimeFault(what); }
void __throw_out_of_range(const char* what) { throw RuntimeFault(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw RuntimeFault(format); }
void __throw_runtime_error(const char* what) { throw RuntimeFault(what); }
void __throw_range_error(const char* what) { throw RuntimeFault(what); }
void __throw_overflow_error(const char* what) { throw RuntimeFault(what); }
void __throw_underflow_error(const char* what) { throw RuntimeFault(what); }

}  // namespace std
