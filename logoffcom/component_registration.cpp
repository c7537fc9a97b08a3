#include "component_registration.h"

#include <objbase.h>

#include <cstring>
#include <vector>

#include "com_ptr.h"
#include "handles.h"
#include "text_format.h"

namespace lullan {

namespace {

constexpr char kRunAsInteractiveUser[] = "Interactive User";
constexpr size_t kComponentPathRoom = 512;
constexpr size_t kSubkeyNameRoom = 256;

LSTATUS SetString(HKEY key, const char* name, const char* value) {
  return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1));
}

bool IsProgram(const char* moduleName) { return std::strstr(moduleName, ".exe") != nullptr; }

}  // namespace

std::string ClsidString(REFCLSID clsid) {
  wchar_t text[39] = {};
  if (::StringFromGUID2(clsid, text, ARRAYSIZE(text)) == 0) return {};
  return Narrow(text);
}

std::string ModulePath(HMODULE module, size_t capacity) {
  std::vector<char> path(capacity, '\0');
  DWORD length = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(capacity));
  // A path that filled the buffer was cut (and on older systems is not even terminated).
  if (length == 0 || length >= capacity) return {};
  return std::string(path.data(), length);
}

HRESULT RegisterTypeLibraryOf(const std::string& modulePath) {
  if (modulePath.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  com_ptr<ITypeLib> library;
  return ::LoadTypeLibEx(Widen(modulePath).c_str(), REGKIND_REGISTER, library.put());
}

bool SetKeyAndDefault(const char* keyPath, const char* subkey, const char* value) {
  std::string path = keyPath;
  if (subkey) path.append("\\").append(subkey);
  unique_hkey key;
  if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  if (value) SetString(key.get(), nullptr, value);
  return true;
}

bool SetNamedString(const char* keyPath, const char* valueName, const char* value) {
  unique_hkey key;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return false;
  if (value) SetString(key.get(), valueName, value);
  return true;
}

LSTATUS DeleteKeyTree(HKEY parent, const char* subkey) {
  unique_hkey key;
  LSTATUS status = ::RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, key.put());
  if (status != ERROR_SUCCESS) return status;
  for (;;) {
    char child[kSubkeyNameRoom] = {};
    DWORD length = ARRAYSIZE(child);
    if (::RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      key.reset();
      return ::RegDeleteKeyA(parent, subkey);
    }
    status = DeleteKeyTree(key.get(), child);
    if (status != ERROR_SUCCESS) return status;
  }
}

LONG RegisterComponent(const char* moduleName, REFCLSID clsid, const char* description,
                       const char* versionIndependentProgId, const char* progId, const char* threadingModel) {
  // Only the module loaded under that name: falling back to the program's own
  // path would register the host (setup, logoff) as the server.
  HMODULE module = ::GetModuleHandleA(moduleName);
  std::string path = module ? ModulePath(module, kComponentPathRoom) : std::string();
  std::string clsidText = ClsidString(clsid);
  std::string clsidKey = "CLSID\\" + clsidText;
  std::string appIdKey = "AppID\\" + clsidText;

  SetKeyAndDefault(clsidKey.c_str(), nullptr, description);
  if (IsProgram(moduleName)) {
    // COM runs this as a command line: quoted, a blank in the path cannot
    // make it start some other program named by the path's first word.
    if (!path.empty()) SetKeyAndDefault(clsidKey.c_str(), "LocalServer32", ProgramCommandA(path).c_str());
  } else if (!path.empty()) {
    // A library is loaded by its path as it stands: no quotes.
    SetKeyAndDefault(clsidKey.c_str(), "InprocServer32", path.c_str());
    SetNamedString((clsidKey + "\\InprocServer32").c_str(), "ThreadingModel", threadingModel);
  }
  SetKeyAndDefault(clsidKey.c_str(), "ProgID", progId);
  SetKeyAndDefault(clsidKey.c_str(), "VersionIndependentProgID", versionIndependentProgId);
  SetKeyAndDefault(versionIndependentProgId, nullptr, description);
  SetKeyAndDefault(versionIndependentProgId, "CLSID", clsidText.c_str());
  SetKeyAndDefault(versionIndependentProgId, "CurVer", progId);
  SetKeyAndDefault(progId, nullptr, description);
  SetKeyAndDefault(progId, "CLSID", clsidText.c_str());
  SetNamedString(clsidKey.c_str(), "AppID", clsidText.c_str());
  SetKeyAndDefault(appIdKey.c_str(), nullptr, description);
  SetNamedString(appIdKey.c_str(), "RunAs", kRunAsInteractiveUser);

  // A library can also be hosted out of process, by the system's default
  // surrogate. A program does its AppID security step here instead.
  if (!IsProgram(moduleName)) {
    unique_hkey appId;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, appIdKey.c_str(), 0, KEY_SET_VALUE, appId.put()) == ERROR_SUCCESS)
      SetString(appId.get(), "DllSurrogate", "");
  }
  return 0;
}

LONG UnregisterComponent(REFCLSID clsid, const char* versionIndependentProgId, const char* progId) {
  std::string clsidText = ClsidString(clsid);
  DeleteKeyTree(HKEY_CLASSES_ROOT, ("CLSID\\" + clsidText).c_str());
  DeleteKeyTree(HKEY_CLASSES_ROOT, versionIndependentProgId);
  DeleteKeyTree(HKEY_CLASSES_ROOT, progId);
  DeleteKeyTree(HKEY_CLASSES_ROOT, ("AppID\\" + clsidText).c_str());
  return 0;
}

}  // namespace lullan
