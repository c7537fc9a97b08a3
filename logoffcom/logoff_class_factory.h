// The class factory of the logoff object, written once for both components
// (see logoff_object.h for what a Component provides).
#pragma once

#include <windows.h>

#include <objbase.h>

#include <new>

namespace lullan {

template <typename Component>
class LogoffClassFactory final : public IClassFactory {
 public:
  LogoffClassFactory() = default;
  LogoffClassFactory(const LogoffClassFactory&) = delete;
  LogoffClassFactory& operator=(const LogoffClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&refCount_)); }
  // A factory at zero is freed and nothing else happens: it doesn't decide
  // any component's lifetime.
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    LONG count = ::InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

  // The new object starts with one reference of its own, which is dropped
  // after the interface query: an interface the object lacks so destroys it
  // again (and in quitsrv that ends the server).
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) typename Component::Object();
    if (!object) return E_OUTOFMEMORY;
    Component::ObjectCreated();
    HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
    Component::LockServer(lock);
    return S_OK;
  }

 private:
  ~LogoffClassFactory() = default;
  LONG refCount_ = 1;
};

}  // namespace lullan
