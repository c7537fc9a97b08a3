// COM for the calling thread, for the life of the object: the multithreaded
// apartment unless told otherwise (COINIT_APARTMENTTHREADED, for a thread
// that shows the shell's dialogs).
#pragma once

#include <objbase.h>

namespace lullan {

class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_MULTITHREADED) : result_(::CoInitializeEx(nullptr, model)) {}
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
