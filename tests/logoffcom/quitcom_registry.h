// What quitcom's self-registration leaves in HKEY_CLASSES_ROOT.
#pragma once

#include <string>

namespace lullan::test {

inline constexpr wchar_t kFCLogoffKey[] = L"CLSID\\{41314381-45FB-11D2-9A99-000000000002}";
inline constexpr wchar_t kFCLogoffAppIdKey[] = L"AppID\\{41314381-45FB-11D2-9A99-000000000002}";
inline constexpr wchar_t kQuitcomTypeLibKey[] = L"TypeLib\\{41314382-45FB-11D2-9A99-000000000001}";

// Checks every key and value of the registration, the library at `dllPath`.
void ExpectQuitcomRegistered(const std::wstring& dllPath);
// Removes the class, the ProgIDs, the AppID and the type library, whatever is there.
void RemoveQuitcomRegistration();

}  // namespace lullan::test
