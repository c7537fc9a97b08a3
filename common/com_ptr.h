// A COM interface pointer that releases what it holds. Copies AddRef, moves
// transfer, put() receives from an out-parameter.
#pragma once

#include <objbase.h>

#include <utility>

namespace lullan {

template <typename T>
class com_ptr {
 public:
  com_ptr() noexcept = default;
  explicit com_ptr(T* attach) noexcept : p_(attach) {}  // takes over one reference
  com_ptr(const com_ptr& other) noexcept : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  com_ptr(com_ptr&& other) noexcept : p_(other.release()) {}
  com_ptr& operator=(com_ptr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~com_ptr() { reset(); }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  void reset() noexcept {
    if (T* old = std::exchange(p_, nullptr)) old->Release();
  }
  T* release() noexcept { return std::exchange(p_, nullptr); }
  T** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  // QueryInterface into another owner; returns the HRESULT.
  template <typename U>
  HRESULT query(REFIID iid, com_ptr<U>& out) const noexcept {
    return p_ ? p_->QueryInterface(iid, out.put_void()) : E_POINTER;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace lullan
