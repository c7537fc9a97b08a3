// COM for the multithreaded apartment, for the life of the object.
#pragma once

#include <objbase.h>

namespace lullan {

class ComApartment {
 public:
  ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace lullan
