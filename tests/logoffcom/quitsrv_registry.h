// What quitsrv's registration leaves in HKEY_CLASSES_ROOT.
#pragma once

#include <string>

namespace lullan::test {

inline constexpr wchar_t kFCLogoffExKey[] = L"CLSID\\{41314381-45FB-11D2-9A99-000000000012}";
inline constexpr wchar_t kFCLogoffExAppIdKey[] = L"AppID\\{41314381-45FB-11D2-9A99-000000000012}";
inline constexpr char kFCLogoffExAppIdKeyA[] = "AppID\\{41314381-45FB-11D2-9A99-000000000012}";
inline constexpr wchar_t kQuitsrvTypeLibKey[] = L"TypeLib\\{41314381-45FB-11D2-9A99-000000000011}";
inline constexpr wchar_t kILogoffExKey[] = L"Interface\\{41314381-45FB-11D2-9A99-000000000010}";

// Removes the class, the ProgIDs, the AppID and the type library, whatever is there.
void RemoveQuitsrvRegistration();

}  // namespace lullan::test
