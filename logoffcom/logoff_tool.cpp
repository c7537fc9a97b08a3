#include "logoff_tool.h"

#include <windows.h>

#include <objbase.h>

#include "com_apartment.h"
#include "com_ptr.h"
#include "handles.h"
#include "logoff_command_line.h"
#include "quitcom_interface.h"
#include "text_format.h"

namespace lullan {

namespace {

constexpr char kCaption[] = "logoff";
constexpr char kUsage[] =
    "Usage: logoff [/logoff | /shutdown | /reboot | /install | /?]\n"
    "\n"
    "/logoff\tlog off the interactive user (the default)\n"
    "/shutdown\tshut the machine down\n"
    "/reboot\treboot the machine\n"
    "/install\tregister quitcom.dll\n"
    "\n"
    "A switch may begin with \"/\" or \"-\"; its first letter is enough.\n"
    "\n"
    "Copyright (c) Fennick. All rights reserved.";
constexpr char kComFailed[] = "CoInitialize failed.";
constexpr char kLibraryName[] = "quitcom.dll";
constexpr char kRegisterExport[] = "DllRegisterServer";
constexpr char kNoRegisterExport[] = "Error %d getting address of DllRegisterServer";
constexpr char kInstallFailed[] = "Install failed";
constexpr char kInstallSuccessful[] = "Install successful";
constexpr char kCreateFailed[] = "CoCreateInstanceEx failed: %s.";
constexpr char kNoILogoff[] = "IID_ILogoff not supported";
constexpr char kCallFailed[] = "Error calling Logoff component!";

constexpr int kExitDone = 0;
constexpr int kExitNoComponent = 1;
constexpr int kExitNoCom = -1;

void Say(const char* text) { ::MessageBoxA(nullptr, text, kCaption, MB_OK); }

const char* CreateErrorText(HRESULT result) {
  switch (result) {
    case E_INVALIDARG:
      return "invalid arg";
    case E_NOINTERFACE:
      return "no interfaces retreived";
    default:
      return "unknown error";
  }
}

int Install() {
  unique_library library(::LoadLibraryA(kLibraryName));
  FARPROC found = library ? ::GetProcAddress(library.get(), kRegisterExport) : nullptr;
  // Through void(*)(): the export's real type is not FARPROC's.
  auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void (*)()>(found));
  if (!registerServer) {
    DWORD error = ::GetLastError();  // before the message box can change it
    Say(FormatTextA(kNoRegisterExport, static_cast<int>(error)).c_str());
    Say(kInstallFailed);
    return kExitDone;
  }
  registerServer();  // its result is not looked at
  library.reset();
  Say(kInstallSuccessful);
  return kExitDone;
}

int CallComponent(LogoffMode mode) {
  MULTI_QI query{&IID_IUnknown, nullptr, S_OK};
  HRESULT result = ::CoCreateInstanceEx(CLSID_FCLogoff, nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &query);
  com_ptr<IUnknown> object(SUCCEEDED(result) ? query.pItf : nullptr);
  if (FAILED(result)) {
    Say(FormatTextA(kCreateFailed, CreateErrorText(result)).c_str());
    return kExitNoComponent;
  }
  com_ptr<ILogoff> logoff;
  if (FAILED(object.query(IID_ILogoff, logoff))) {
    Say(kNoILogoff);
    return kExitNoComponent;  // nothing was done
  }
  object.reset();
  switch (mode) {
    case LogoffMode::kShutdown:
      result = logoff->Shutdown();
      break;
    case LogoffMode::kReboot:
      result = logoff->Reboot();
      break;
    default:
      result = logoff->Logoff();
      break;
  }
  if (FAILED(result)) Say(kCallFailed);
  return kExitDone;
}

}  // namespace

int RunLogoff(const char* arguments) {
  LogoffMode mode = ParseLogoffCommandLine(arguments ? arguments : "");
  if (mode == LogoffMode::kUsage) {
    Say(kUsage);
    return kExitDone;
  }
  ComApartment apartment;
  if (FAILED(apartment.result())) {
    Say(kComFailed);
    return kExitNoCom;
  }
  return mode == LogoffMode::kInstall ? Install() : CallComponent(mode);
}

}  // namespace lullan
