#include "quitsrv_server.h"

#include <objbase.h>

#include "appid_security.h"
#include "com_apartment.h"
#include "com_ptr.h"
#include "component_registration.h"
#include "logoff_class_factory.h"
#include "quitsrv.h"
#include "quitsrv_command_line.h"
#include "quitsrv_component.h"

namespace lullan {

namespace {

constexpr char kModuleName[] = "quitsrv.exe";
constexpr char kDescription[] = "Logoff user (opc)";
constexpr char kVersionIndependentProgId[] = "FenComOpc.Logoff";
constexpr char kProgId[] = "FenComOpc.Logoff.1";
constexpr char kThreadingModel[] = "Free";
constexpr char kEveryone[] = "Everyone";
constexpr size_t kProgramPathRoom = 256;
constexpr char kInteractiveText[] = "This component cannot be run interactively!";
constexpr char kInteractiveCaption[] = "Error";
constexpr DWORD kServerContexts = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;  // 0x15

// The factory's registration with COM, revoked when the server ends.
class ClassRegistration {
 public:
  HRESULT Register(REFCLSID clsid, IUnknown* factory) {
    HRESULT result = ::CoRegisterClassObject(clsid, factory, kServerContexts, REGCLS_MULTIPLEUSE, &cookie_);
    registered_ = SUCCEEDED(result);
    return result;
  }
  ~ClassRegistration() {
    if (registered_) ::CoRevokeClassObject(cookie_);
  }

 private:
  DWORD cookie_ = 0;
  bool registered_ = false;
};

}  // namespace

int RunQuitsrv(const char* arguments) {
  switch (ParseQuitsrvCommandLine(arguments ? arguments : "")) {
    case QuitsrvAction::kInteractive:
      ::MessageBoxA(nullptr, kInteractiveText, kInteractiveCaption, MB_OK | MB_ICONWARNING);
      return 0;
    case QuitsrvAction::kRegister:
      RegisterServer();
      return 0;
    case QuitsrvAction::kUnregister:
      return static_cast<int>(UnregisterServer());
    case QuitsrvAction::kServe:
      Serve();
      return 0;
    case QuitsrvAction::kNothing:
      break;
  }
  return 0;
}

void RegisterServer() {
  RegisterTypeLibraryOf(ModulePath(nullptr, kProgramPathRoom));
  RegisterComponent(kModuleName, CLSID_FCLogoffEx, kDescription, kVersionIndependentProgId, kProgId, kThreadingModel);
  // Everyone may launch and call the server; it runs as the interactive user.
  SetAppIdSecurity(ClsidString(CLSID_FCLogoffEx), kEveryone);
}

HRESULT UnregisterServer() {
  HRESULT result = ::UnRegisterTypeLib(LIBID_quitsrvlib, 1, 0, 0, kTypeLibSystem);
  if (FAILED(result)) return result;
  UnregisterComponent(CLSID_FCLogoffEx, kVersionIndependentProgId, kProgId);
  return S_OK;
}

void Serve() {
  ComApartment apartment;
  // No descriptor: the AppID's values decide who may call.
  ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                         EOAC_NONE, nullptr);
  com_ptr<IClassFactory> factory(new (std::nothrow) LogoffClassFactory<QuitsrvComponent>());
  if (!factory || !CreateStopEvent()) return;
  ClassRegistration registration;
  // Without a registration no object can ever be released: waiting would
  // keep the process forever.
  if (FAILED(registration.Register(CLSID_FCLogoffEx, factory.get()))) return;
  ::WaitForSingleObject(StopEvent(), INFINITE);
}

}  // namespace lullan
