#include "product_key_security.h"

#include <string>

#include "handles.h"
#include "message_box.h"
#include "text_format.h"

namespace lullan::config {

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

DWORD SetProductKeySecurity(HWND owner, std::wstring_view keyPath, ConfigHost::Program program) {
  unique_hkey key;
  LSTATUS opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(keyPath).c_str(), 0, WRITE_DAC, key.put());
  if (opened != ERROR_SUCCESS) {
    const wchar_t* format =
        program == ConfigHost::Program::Setup ? L"RegOpenKeyEx error! (rc=%lu)\n" : L"RegOpenKeyEx error! (rc=%lu)";
    ui::ShowMessage(owner, FormatText(format, static_cast<unsigned long>(opened)));
    return ERROR_INVALID_DATA;
  }

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
    if (!entry.sid) return ERROR_INVALID_DATA;
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(entry.sid.get());
  }
  unique_heap_memory memory(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  auto* acl = as<ACL>(memory);
  if (!acl || !::InitializeAcl(acl, size, ACL_REVISION)) return ERROR_INVALID_DATA;
  for (const Entry& entry : entries) {
    if (!::AddAccessAllowedAce(acl, ACL_REVISION, entry.rights, entry.sid.get())) return ERROR_INVALID_DATA;
  }

  SECURITY_DESCRIPTOR descriptor;
  if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return ERROR_INVALID_DATA;
  if (!::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
    ui::ShowMessage(owner, FormatText(L"SetSecurityDescriptorDacl error! (rc=%lu)\n",
                                      static_cast<unsigned long>(::GetLastError())));
  }
  LSTATUS applied = ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor);
  if (applied != ERROR_SUCCESS) {
    ui::ShowMessage(owner, FormatText(L"RegSetKeySecurity error! (rc=%lu)\n", static_cast<unsigned long>(applied)));
    return ERROR_INVALID_DATA;
  }
  return ERROR_SUCCESS;
}

}  // namespace lullan::config
