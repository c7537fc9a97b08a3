// A stand-in in-process component for logoff.exe's tests: whatever class it is
// registered under, it makes objects that have IUnknown and nothing else (a
// foreign or broken registration under FCLogoff).
#include <windows.h>

#include <objbase.h>

#include <new>

namespace {

class BareObject final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&count_)); }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    LONG count = ::InterlockedDecrement(&count_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

 private:
  LONG count_ = 1;
};

class BareFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;  // static: no counting
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
  ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) BareObject();
    if (!object) return E_OUTOFMEMORY;
    HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) noexcept override { return S_OK; }
};

BareFactory gFactory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID /*clsid*/, REFIID iid, void** out) { return gFactory.QueryInterface(iid, out); }

STDAPI DllCanUnloadNow() { return S_FALSE; }
