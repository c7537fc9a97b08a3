#include "security_sddl.h"

#include <sddl.h>

#include <vector>

#include "handles.h"

namespace lullan::test {

namespace {

std::wstring Sddl(PSECURITY_DESCRIPTOR descriptor, SECURITY_INFORMATION what) {
  LPWSTR text = nullptr;
  if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, what, &text, nullptr))
    return {};
  unique_local_memory owned(text);
  return text;
}

}  // namespace

std::wstring FileSddl(const std::wstring& path) {
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  ::GetFileSecurityW(path.c_str(), what, nullptr, 0, &size);
  std::vector<BYTE> descriptor(size);
  if (size == 0 || !::GetFileSecurityW(path.c_str(), what, descriptor.data(), size, &size)) return {};
  return Sddl(descriptor.data(), what);
}

bool WorldMayWrite(const std::wstring& path) {
  DWORD size = 0;
  ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<BYTE> descriptor(size);
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  if (size == 0 || !::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
      !::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted))
    return false;
  if (!present || !acl) return true;  // no list: anybody may do anything
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  unique_allocated_sid everyone;
  ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put());
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(acl, i, &ace) || static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (::EqualSid(&allowed->SidStart, everyone.get()) && (allowed->Mask & (FILE_WRITE_DATA | FILE_APPEND_DATA)))
      return true;
  }
  return false;
}

std::wstring KeySddl(HKEY root, const std::wstring& path, REGSAM view) {
  unique_hkey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, READ_CONTROL | view, key.put()) != ERROR_SUCCESS) return {};
  DWORD size = 0;
  ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
  std::vector<BYTE> descriptor(size);
  if (size == 0 || ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS)
    return {};
  return Sddl(descriptor.data(), DACL_SECURITY_INFORMATION);
}

}  // namespace lullan::test
