// The four exports COM and the installers look for in quitcom.dll.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <new>

#include "component_registration.h"
#include "logoff_class_factory.h"
#include "quitcom_interface.h"
#include "quitcom_component.h"

using lullan::kTypeLibSystem;
using lullan::LogoffClassFactory;
using lullan::QuitcomComponent;

namespace {
constexpr char kModuleName[] = "quitcom.dll";
constexpr char kDescription[] = "Logoff user";
constexpr char kVersionIndependentProgId[] = "FenCom.Logoff";
constexpr char kProgId[] = "FenCom.Logoff.1";
constexpr char kThreadingModel[] = "Free";
constexpr size_t kLibraryPathRoom = 256;
}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_FCLogoff)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) LogoffClassFactory<QuitcomComponent>();
  if (!factory) return E_OUTOFMEMORY;
  HRESULT result = factory->QueryInterface(iid, out);
  factory->Release();
  return result;
}

STDAPI DllCanUnloadNow() {
  return lullan::QuitcomLockCount() != 0 || lullan::QuitcomObjectCount() != 0 ? S_FALSE : S_OK;
}

// Registration goes on when the type library can't be registered: the class
// works in process without it.
STDAPI DllRegisterServer() {
  lullan::RegisterTypeLibraryOf(lullan::ModulePath(lullan::QuitcomModule(), kLibraryPathRoom));
  lullan::RegisterComponent(kModuleName, CLSID_FCLogoff, kDescription, kVersionIndependentProgId, kProgId,
                            kThreadingModel);
  return S_OK;
}

// The type library goes first; when it can't be unregistered (for example it
// never was), nothing else is removed and the caller learns why.
STDAPI DllUnregisterServer() {
  HRESULT result = ::UnRegisterTypeLib(LIBID_quitcom, 1, 0, 0, kTypeLibSystem);
  if (FAILED(result)) return result;
  lullan::UnregisterComponent(CLSID_FCLogoff, kVersionIndependentProgId, kProgId);
  return S_OK;
}
