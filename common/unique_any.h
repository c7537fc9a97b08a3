// One owner template for every kind of Win32 handle, in the spirit of WIL's
// unique_any: get() to use, put() to receive from an out-parameter, reset() to
// close early and release() to hand over. Each handle kind is a small traits
// struct naming its type, its "no handle" value and how it is closed; a kind
// whose calls fail with more than one value also says which values hold a
// handle (is_valid).
#pragma once

#include <windows.h>

#include <utility>

namespace lullan {

template <typename Traits>
class unique_any {
 public:
  using pointer = typename Traits::type;

  unique_any() noexcept : value_(Traits::invalid()) {}
  explicit unique_any(pointer value) noexcept : value_(value) {}
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Holds(value_); }

  // Closes what is held and takes ownership of `value`. The thread's last
  // error stays as it was: callers report it after their owners are gone.
  void reset(pointer value = Traits::invalid()) noexcept {
    pointer old = std::exchange(value_, value);
    if (!Holds(old)) return;
    DWORD lastError = ::GetLastError();
    Traits::close(old);
    ::SetLastError(lastError);
  }

  // Gives up ownership without closing.
  pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

  // Closes what is held and returns the address for an out-parameter.
  pointer* put() noexcept {
    reset();
    return &value_;
  }

 private:
  static bool Holds(pointer value) noexcept {
    if constexpr (requires { Traits::is_valid(value); }) {
      return Traits::is_valid(value);
    } else {
      return value != Traits::invalid();
    }
  }

  pointer value_;
};

}  // namespace lullan
