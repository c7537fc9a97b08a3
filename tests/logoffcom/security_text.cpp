#include "security_text.h"

#include <sddl.h>

#include "handles.h"
#include "text_format.h"

namespace lullan::test {

namespace {

std::vector<BYTE> AccountSid(const char* name) {
  DWORD sidSize = 0;
  DWORD domainSize = 0;
  SID_NAME_USE use;
  ::LookupAccountNameA(nullptr, name, nullptr, &sidSize, nullptr, &domainSize, &use);
  if (sidSize == 0) return {};
  std::vector<BYTE> sid(sidSize);
  std::vector<char> domain(domainSize + 1);
  if (!::LookupAccountNameA(nullptr, name, sid.data(), &sidSize, domain.data(), &domainSize, &use)) return {};
  return sid;
}

std::vector<BYTE> CurrentUserSid() {
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  auto* bytes = static_cast<BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(sid));
}

}  // namespace

std::string SidText(PSID sid) {
  if (!sid) return "(none)";
  char* text = nullptr;
  if (!::ConvertSidToStringSidA(sid, &text)) return "(bad sid)";
  unique_local_memory owner(text);
  return text;
}

std::string AccountSidText(const char* name) {
  std::vector<BYTE> sid = AccountSid(name);
  return sid.empty() ? std::string() : SidText(sid.data());
}

std::string CurrentUserSidText() {
  std::vector<BYTE> sid = CurrentUserSid();
  return sid.empty() ? std::string() : SidText(sid.data());
}

DescriptorText DescribeSelfRelative(const std::vector<BYTE>& descriptor) {
  DescriptorText text;
  if (descriptor.size() < sizeof(SECURITY_DESCRIPTOR_RELATIVE)) return text;
  auto* sd = const_cast<BYTE*>(descriptor.data());
  if (!::IsValidSecurityDescriptor(sd)) return text;
  text.valid = true;
  text.revision = sd[0];
  PSID sid = nullptr;
  BOOL defaulted = FALSE;
  ::GetSecurityDescriptorOwner(sd, &sid, &defaulted);
  text.owner = SidText(sid);
  ::GetSecurityDescriptorGroup(sd, &sid, &defaulted);
  text.group = SidText(sid);
  BOOL present = FALSE;
  PACL acl = nullptr;
  ::GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted);
  if (!present || !acl) return text;
  text.aclRevision = acl->AclRevision;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(acl, i, &ace)) break;
    auto* header = static_cast<ACE_HEADER*>(ace);
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);  // deny ACEs share the layout
    const char* kind = header->AceType == ACCESS_ALLOWED_ACE_TYPE  ? "allow"
                       : header->AceType == ACCESS_DENIED_ACE_TYPE ? "deny"
                                                                   : "other";
    std::string line = FormatTextA("%s 0x%lx %s", kind, allowed->Mask, SidText(&allowed->SidStart).c_str());
    if (header->AceFlags) line += FormatTextA(" flags 0x%x", header->AceFlags);
    text.aces.push_back(line);
  }
  return text;
}

std::vector<BYTE> ReadClassesBinary(const std::string& keyPath, const char* valueName) {
  unique_hkey key;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  DWORD size = 0;
  if (::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return {};
  std::vector<BYTE> data(size);
  if (::RegQueryValueExA(key.get(), valueName, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) return {};
  data.resize(size);
  return data;
}

std::vector<BYTE> BuildDescriptor(const std::vector<std::pair<BYTE, const char*>>& aces) {
  std::vector<BYTE> user = CurrentUserSid();
  std::vector<std::vector<BYTE>> sids;
  DWORD aclSize = sizeof(ACL);
  for (const auto& [type, name] : aces) {
    sids.push_back(AccountSid(name));
    aclSize += sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(sids.back().data());
  }
  std::vector<BYTE> acl(aclSize);
  ::InitializeAcl(reinterpret_cast<PACL>(acl.data()), aclSize, ACL_REVISION);
  for (size_t i = 0; i < aces.size(); ++i) {
    if (aces[i].first == ACCESS_DENIED_ACE_TYPE) {
      ::AddAccessDeniedAce(reinterpret_cast<PACL>(acl.data()), ACL_REVISION, 1, sids[i].data());
    } else {
      ::AddAccessAllowedAce(reinterpret_cast<PACL>(acl.data()), ACL_REVISION, 1, sids[i].data());
    }
  }
  SECURITY_DESCRIPTOR absolute;
  ::InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION);
  ::SetSecurityDescriptorOwner(&absolute, user.data(), FALSE);
  ::SetSecurityDescriptorGroup(&absolute, user.data(), FALSE);
  ::SetSecurityDescriptorDacl(&absolute, TRUE, reinterpret_cast<PACL>(acl.data()), FALSE);
  DWORD size = 0;
  ::MakeSelfRelativeSD(&absolute, nullptr, &size);
  std::vector<BYTE> result(size);
  ::MakeSelfRelativeSD(&absolute, result.data(), &size);
  return result;
}

}  // namespace lullan::test
