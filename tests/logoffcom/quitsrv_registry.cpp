#include "quitsrv_registry.h"

#include <windows.h>

#include "registry_fixture.h"

namespace lullan::test {

void RemoveQuitsrvRegistration() {
  for (const wchar_t* tree : {kFCLogoffExKey, L"FenComOpc.Logoff", L"FenComOpc.Logoff.1", kFCLogoffExAppIdKey,
                              kQuitsrvTypeLibKey, kILogoffExKey})
    DeleteTree(HKEY_CLASSES_ROOT, tree);
}

}  // namespace lullan::test
