// One owner template for every kind of Win32 handle, in the spirit of WIL's
// unique_any: get() to use, put() to receive from an out-parameter, reset() to
// close early and release() to hand over. Each handle kind is a small traits
// struct naming its type, its "no handle" value and how it is closed.
#pragma once

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
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

  // Closes what is held and takes ownership of `value`.
  void reset(pointer value = Traits::invalid()) noexcept {
    pointer old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

  // Gives up ownership without closing.
  pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

  // Closes what is held and returns the address for an out-parameter.
  pointer* put() noexcept {
    reset();
    return &value_;
  }

 private:
  pointer value_;
};

}  // namespace lullan
