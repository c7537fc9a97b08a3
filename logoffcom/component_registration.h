// Self-registration of the logoff components under HKEY_CLASSES_ROOT, shared
// by quitcom (in process) and quitsrv (local and remote server). Everything
// here uses the ANSI registry calls; REG_SZ values are stored with their
// length plus one byte for the terminator.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace lullan {

// The target system the type libraries are registered for. widl marks a
// library SYS_WIN64 in the 64-bit build, and UnRegisterTypeLib only finds it
// under that key, so the constant follows the build.
inline constexpr SYSKIND kTypeLibSystem = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

// Writes the class, ProgID and AppID keys of a component. A module name
// containing ".exe" registers a LocalServer32 (a program, its path quoted
// when it holds a blank, since COM runs it as a command line), any other an
// InprocServer32 with the threading model and an empty "DllSurrogate" (a
// library). No entry's failure stops the others; returns 0.
LONG RegisterComponent(const char* moduleName, REFCLSID clsid, const char* description,
                       const char* versionIndependentProgId, const char* progId, const char* threadingModel);

// Deletes the trees CLSID\{clsid}, the two ProgIDs and AppID\{clsid}, each
// whatever became of the others; returns 0.
LONG UnregisterComponent(REFCLSID clsid, const char* versionIndependentProgId, const char* progId);

// Creates or opens HKCR\keyPath[\subkey] and, when a value is given, sets its
// default value. False when the key could not be created.
bool SetKeyAndDefault(const char* keyPath, const char* subkey, const char* value);

// Sets a named value of the existing key HKCR\keyPath. False when the key
// could not be opened.
bool SetNamedString(const char* keyPath, const char* valueName, const char* value);

// Deletes parent\subkey with everything below it, depth first; the registry
// error, 0 on success.
LSTATUS DeleteKeyTree(HKEY parent, const char* subkey);

// The registry form of a class id, braces included ("{41314381-...}").
std::string ClsidString(REFCLSID clsid);

// The full path of a loaded module (null: the program), or empty when the
// module is not loaded or its path does not fit in `capacity` characters.
std::string ModulePath(HMODULE module, size_t capacity);

// Loads the type library of a module file with registration and releases it.
// The result is for the caller to look at or not.
HRESULT RegisterTypeLibraryOf(const std::string& modulePath);

}  // namespace lullan
