#include "appid_security.h"

#include <objbase.h>

#include <cstring>

#include "handles.h"

namespace lullan {

namespace {

constexpr char kSystem[] = "SYSTEM";
constexpr char kInteractive[] = "INTERACTIVE";
constexpr DWORD kDomainNameRoom = 256;
// Two SIDs and two ACLs of at most 64 KB each: anything larger is not a descriptor.
constexpr DWORD kLargestDescriptor = 0x30000;

DWORD LastErrorOr(DWORD fallback) {
  DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

// A SID lying wholly inside data[offset, size).
bool SidFits(const BYTE* data, size_t size, size_t offset) {
  constexpr size_t kSidHeader = 8;  // revision, count, identifier authority
  if (offset > size || size - offset < kSidHeader) return false;
  auto* sid = reinterpret_cast<const SID*>(data + offset);
  if (sid->Revision != SID_REVISION || sid->SubAuthorityCount > SID_MAX_SUB_AUTHORITIES) return false;
  return size - offset >= ::GetSidLengthRequired(sid->SubAuthorityCount);
}

// An ACL lying wholly inside data[offset, size), each ACE inside the ACL and
// the SID of each allow, deny or audit ACE inside its ACE.
bool AclFits(const BYTE* data, size_t size, size_t offset) {
  if (offset > size || size - offset < sizeof(ACL)) return false;
  auto* acl = reinterpret_cast<const ACL*>(data + offset);
  if (acl->AclSize < sizeof(ACL) || acl->AclSize > size - offset) return false;
  size_t position = sizeof(ACL);
  for (WORD i = 0; i < acl->AceCount; ++i) {
    if (acl->AclSize - position < sizeof(ACE_HEADER)) return false;
    auto* header = reinterpret_cast<const ACE_HEADER*>(data + offset + position);
    if (header->AceSize < sizeof(ACE_HEADER) || header->AceSize > acl->AclSize - position) return false;
    if (header->AceType <= SYSTEM_AUDIT_ACE_TYPE) {
      size_t sidOffset = offsetof(ACCESS_ALLOWED_ACE, SidStart);
      if (header->AceSize < sidOffset || !SidFits(data + offset + position, header->AceSize, sidOffset)) return false;
    }
    position += header->AceSize;
  }
  return ::IsValidAcl(const_cast<ACL*>(acl)) != FALSE;
}

std::vector<BYTE> CopySidBytes(PSID sid) {
  auto* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(sid));
}

std::vector<BYTE> CopyAclBytes(const ACL* acl) {
  auto* bytes = reinterpret_cast<const BYTE*>(acl);
  return std::vector<BYTE>(bytes, bytes + acl->AclSize);
}

PACL AsAcl(const std::vector<BYTE>& acl) {
  return acl.empty() ? nullptr : reinterpret_cast<PACL>(const_cast<BYTE*>(acl.data()));
}

PSID AsSid(const std::vector<BYTE>& sid) { return sid.empty() ? nullptr : const_cast<BYTE*>(sid.data()); }

// Stores `acl` back into the descriptor, present and not defaulted, and writes it.
DWORD StoreWithAcl(SecurityValue& value, std::vector<BYTE> acl, const std::string& keyPath, const char* valueName) {
  value.dacl = std::move(acl);
  return WriteNamedSecurityValue(keyPath, valueName, value);
}

// A descriptor made up here also lets the system and the interactive user in.
DWORD AddStandardPrincipals(const SecurityValue& value, std::vector<BYTE>& acl) {
  if (!value.isNew) return ERROR_SUCCESS;
  if (DWORD error = AppendAllowAce(acl, COM_RIGHTS_EXECUTE, kSystem)) return error;
  return AppendAllowAce(acl, COM_RIGHTS_EXECUTE, kInteractive);
}

// Takes away the principal's first ACE, so that the addition pass that
// follows doesn't pile up ACEs (or leave a deny ACE in front of the allow).
DWORD RemovalPass(const std::string& keyPath, const char* principal, const char* valueName) {
  SecurityValue value;
  if (DWORD error = ReadNamedSecurityValue(keyPath, valueName, value)) return error;
  std::vector<BYTE> acl = value.dacl;
  AddStandardPrincipals(value, acl);
  if (DWORD error = RemoveFirstAceFor(acl, principal)) return error;
  return StoreWithAcl(value, std::move(acl), keyPath, valueName);
}

}  // namespace

std::string AppIdKeyPath(const std::string& appId) {
  return appId.rfind('{', 0) == 0 ? "APPID\\" + appId : "APPID\\{" + appId + "}";
}

DWORD SetAppIdSecurity(const std::string& appId, const char* principal) {
  DWORD error = SetAppIdPermission(appId, principal, "AccessPermission");
  if (error == ERROR_SUCCESS) error = SetAppIdPermission(appId, principal, "LaunchPermission");
  return error;
}

DWORD SetAppIdPermission(const std::string& appId, const char* principal, const char* valueName) {
  std::string keyPath = AppIdKeyPath(appId);
  RemovalPass(keyPath, principal, valueName);

  SecurityValue value;
  if (DWORD error = ReadNamedSecurityValue(keyPath, valueName, value)) return error;
  std::vector<BYTE> acl = value.dacl;
  if (DWORD error = AddStandardPrincipals(value, acl)) return error;
  if (DWORD error = AppendAllowAce(acl, COM_RIGHTS_EXECUTE, principal)) return error;
  return StoreWithAcl(value, std::move(acl), keyPath, valueName);
}

DWORD ReadNamedSecurityValue(const std::string& keyPath, const char* valueName, SecurityValue& value) {
  unique_hkey key;
  LSTATUS status = ::RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.put());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return static_cast<DWORD>(status);
  if (status == ERROR_SUCCESS) {
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0 &&
        size <= kLargestDescriptor) {
      std::vector<BYTE> data(size);
      if (::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, data.data(), &size) == ERROR_SUCCESS &&
          ParseSelfRelative(data.data(), size, value)) {
        value.isNew = false;
        return ERROR_SUCCESS;
      }
    }
  }
  value = SecurityValue{};
  value.isNew = true;
  return NewOwnerSecurity(value);
}

DWORD WriteNamedSecurityValue(const std::string& keyPath, const char* valueName, const SecurityValue& value) {
  std::vector<BYTE> selfRelative;
  if (DWORD error = MakeSelfRelative(value, selfRelative)) return error;
  unique_hkey key;
  char noClass[] = "";
  LSTATUS status = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  return static_cast<DWORD>(::RegSetValueExA(key.get(), valueName, 0, REG_BINARY, selfRelative.data(),
                                             static_cast<DWORD>(selfRelative.size())));
}

DWORD NewOwnerSecurity(SecurityValue& value) {
  std::vector<BYTE> user;
  if (DWORD error = CurrentUserSid(user)) return error;
  DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(user.data());
  std::vector<BYTE> acl(aclSize);
  if (!::InitializeAcl(AsAcl(acl), aclSize, ACL_REVISION) ||
      !::AddAccessAllowedAce(AsAcl(acl), ACL_REVISION, COM_RIGHTS_EXECUTE, user.data()))
    return LastErrorOr(ERROR_INVALID_ACL);
  value.owner = user;
  value.group = std::move(user);
  value.dacl = std::move(acl);
  value.sacl.clear();
  return ERROR_SUCCESS;
}

DWORD AppendAllowAce(std::vector<BYTE>& acl, DWORD mask, const char* principal) {
  std::vector<BYTE> sid;
  if (DWORD error = PrincipalSid(principal, sid)) return error;
  ACL_SIZE_INFORMATION old{0, sizeof(ACL), 0};
  if (!acl.empty() && !::GetAclInformation(AsAcl(acl), &old, sizeof old, AclSizeInformation))
    return LastErrorOr(ERROR_INVALID_ACL);
  // Room for what the old ACL uses, the SID and the new ACE's fixed part, kept DWORD-aligned.
  DWORD size = (old.AclBytesInUse + ::GetLengthSid(sid.data()) + 16 + 3) & ~3u;
  if (size > MAXWORD) return ERROR_INVALID_ACL;
  std::vector<BYTE> fresh(size);
  if (!::InitializeAcl(AsAcl(fresh), size, ACL_REVISION)) return LastErrorOr(ERROR_INVALID_ACL);
  for (DWORD i = 0; i < old.AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(AsAcl(acl), i, &ace) ||
        !::AddAce(AsAcl(fresh), ACL_REVISION, MAXDWORD, ace, static_cast<ACE_HEADER*>(ace)->AceSize))
      return LastErrorOr(ERROR_INVALID_ACL);
  }
  if (!::AddAccessAllowedAce(AsAcl(fresh), ACL_REVISION, mask, sid.data())) return LastErrorOr(ERROR_INVALID_ACL);
  acl = std::move(fresh);
  return ERROR_SUCCESS;
}

DWORD RemoveFirstAceFor(std::vector<BYTE>& acl, const char* principal) {
  std::vector<BYTE> sid;
  if (DWORD error = PrincipalSid(principal, sid)) return error;
  if (acl.empty()) return ERROR_SUCCESS;
  for (DWORD i = 0; i < AsAcl(acl)->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(AsAcl(acl), i, &ace)) return LastErrorOr(ERROR_INVALID_ACL);
    // Allow, deny and audit ACEs share one layout, the SID at the end.
    auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType > SYSTEM_AUDIT_ACE_TYPE) continue;
    if (::EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, sid.data())) {
      if (!::DeleteAce(AsAcl(acl), i)) return LastErrorOr(ERROR_INVALID_ACL);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_SUCCESS;
}

DWORD PrincipalSid(const char* name, std::vector<BYTE>& sid, const char* system) {
  DWORD sidSize = 0;
  DWORD domainSize = 0;
  SID_NAME_USE use;
  if (::LookupAccountNameA(system, name, nullptr, &sidSize, nullptr, &domainSize, &use))
    return ERROR_NONE_MAPPED;  // no size learned: nothing to build on
  // A lookup that could not even learn the size says why (no such account, a
  // machine that can't be reached...).
  if (DWORD error = LastErrorOr(ERROR_NONE_MAPPED); error != ERROR_INSUFFICIENT_BUFFER || sidSize == 0)
    return error != ERROR_INSUFFICIENT_BUFFER ? error : ERROR_NONE_MAPPED;
  std::vector<BYTE> buffer(sidSize);
  char domain[kDomainNameRoom] = {};
  domainSize = ARRAYSIZE(domain);
  if (!::LookupAccountNameA(system, name, buffer.data(), &sidSize, domain, &domainSize, &use))
    return LastErrorOr(ERROR_NONE_MAPPED);
  sid = std::move(buffer);
  return ERROR_SUCCESS;
}

DWORD CurrentUserSid(std::vector<BYTE>& sid) {
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return LastErrorOr(ERROR_ACCESS_DENIED);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return LastErrorOr(ERROR_INVALID_DATA);
  std::vector<BYTE> buffer(size);
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
    return LastErrorOr(ERROR_INVALID_DATA);
  sid = CopySidBytes(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
  return ERROR_SUCCESS;
}

DWORD MakeSelfRelative(const SecurityValue& value, std::vector<BYTE>& selfRelative) {
  SECURITY_DESCRIPTOR absolute;
  if (!::InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorOwner(&absolute, AsSid(value.owner), FALSE) ||
      !::SetSecurityDescriptorGroup(&absolute, AsSid(value.group), FALSE) ||
      !::SetSecurityDescriptorDacl(&absolute, !value.dacl.empty(), AsAcl(value.dacl), FALSE) ||
      !::SetSecurityDescriptorSacl(&absolute, !value.sacl.empty(), AsAcl(value.sacl), FALSE))
    return LastErrorOr(ERROR_INVALID_SECURITY_DESCR);
  DWORD size = 0;
  ::MakeSelfRelativeSD(&absolute, nullptr, &size);
  if (size == 0) return LastErrorOr(ERROR_INVALID_SECURITY_DESCR);
  std::vector<BYTE> buffer(size);
  if (!::MakeSelfRelativeSD(&absolute, buffer.data(), &size)) return LastErrorOr(ERROR_INVALID_SECURITY_DESCR);
  selfRelative = std::move(buffer);
  return ERROR_SUCCESS;
}

bool ParseSelfRelative(const BYTE* data, size_t size, SecurityValue& value) {
  if (size < sizeof(SECURITY_DESCRIPTOR_RELATIVE)) return false;
  SECURITY_DESCRIPTOR_RELATIVE header;
  std::memcpy(&header, data, sizeof header);
  if (header.Revision != SECURITY_DESCRIPTOR_REVISION || !(header.Control & SE_SELF_RELATIVE)) return false;
  if (header.Owner && !SidFits(data, size, header.Owner)) return false;
  if (header.Group && !SidFits(data, size, header.Group)) return false;
  bool hasDacl = (header.Control & SE_DACL_PRESENT) && header.Dacl;
  bool hasSacl = (header.Control & SE_SACL_PRESENT) && header.Sacl;
  if (hasDacl && !AclFits(data, size, header.Dacl)) return false;
  if (hasSacl && !AclFits(data, size, header.Sacl)) return false;

  SecurityValue parts;
  if (header.Owner) parts.owner = CopySidBytes(const_cast<BYTE*>(data + header.Owner));
  if (header.Group) parts.group = CopySidBytes(const_cast<BYTE*>(data + header.Group));
  if (hasDacl) parts.dacl = CopyAclBytes(reinterpret_cast<const ACL*>(data + header.Dacl));
  if (hasSacl) parts.sacl = CopyAclBytes(reinterpret_cast<const ACL*>(data + header.Sacl));
  value = std::move(parts);
  return true;
}

}  // namespace lullan
