#include "product_key_acl.h"

namespace lullan {

namespace {

unique_allocated_sid MakeSid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD first, DWORD second = 0) {
  unique_allocated_sid sid;
  if (!::AllocateAndInitializeSid(&authority, count, first, second, 0, 0, 0, 0, 0, 0, sid.put())) sid.reset();
  return sid;
}

struct Entry {
  unique_allocated_sid sid;
  ACCESS_MASK rights;
};

}  // namespace

unique_heap_memory ProductKeyDacl() {
  // The third entry names the local system account, under which the
  // idle-logoff service and the configuration monitor run by default.
  Entry entries[] = {
      {MakeSid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID), KEY_READ},
      {MakeSid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS), KEY_ALL_ACCESS},
      {MakeSid(SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID), KEY_ALL_ACCESS},
      {MakeSid(SECURITY_CREATOR_SID_AUTHORITY, 1, SECURITY_CREATOR_OWNER_RID), KEY_ALL_ACCESS},
  };
  // The ACL header and the four entry headers, then the SIDs.
  DWORD size = sizeof(ACL);
  for (const Entry& entry : entries) {
    if (!entry.sid) return unique_heap_memory();
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(entry.sid.get());
  }
  unique_heap_memory memory(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  auto* acl = as<ACL>(memory);
  if (!acl || !::InitializeAcl(acl, size, ACL_REVISION)) return unique_heap_memory();
  for (const Entry& entry : entries) {
    if (!::AddAccessAllowedAce(acl, ACL_REVISION, entry.rights, entry.sid.get())) return unique_heap_memory();
  }
  return memory;
}

DWORD ApplyProductKeyDacl(HKEY key) {
  unique_heap_memory acl = ProductKeyDacl();
  SECURITY_DESCRIPTOR descriptor;
  if (!acl || !::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(&descriptor, TRUE, as<ACL>(acl), FALSE))
    return acl ? ::GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
  return static_cast<DWORD>(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor));
}

}  // namespace lullan
