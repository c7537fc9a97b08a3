// What quitsrv.exe does, by its command line: register, unregister, serve.
#pragma once

#include <windows.h>

namespace lullan {

// The whole program: the action the arguments (the text after the program
// name) select, and its exit code.
int RunQuitsrv(const char* arguments);

// "-RegServer": the type library, the class keys with the program's full path
// and the AppID security. Failures are not reported.
void RegisterServer();

// "-UnregServer": the type library's HRESULT when it can't be unregistered
// (and then the keys stay), else the keys are removed and the result is S_OK.
HRESULT UnregisterServer();

// "-Embedding": serves FCLogoffEx until the first object handed out is released.
void Serve();

}  // namespace lullan
