// The AppID security of quitsrv: "AccessPermission" (who may call the server)
// and "LaunchPermission" (who may start it) under HKEY_CLASSES_ROOT\APPID\{...},
// each a self-relative security descriptor stored as REG_BINARY. Registration
// grants a principal COM_RIGHTS_EXECUTE in both. Every routine returns 0 or a
// Win32 error code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lullan {

// A security descriptor taken apart: the SIDs and ACLs it refers to, each
// empty when the descriptor has none. Putting it together again gives the
// absolute form (every part present and not defaulted).
struct SecurityValue {
  std::vector<BYTE> owner;
  std::vector<BYTE> group;
  std::vector<BYTE> dacl;
  std::vector<BYTE> sacl;
  bool isNew = false;  // built here because the registry held no usable descriptor
};

// "APPID\<appId>", or "APPID\{<appId>}" when the string lacks its braces.
std::string AppIdKeyPath(const std::string& appId);

// The registration's security step: the principal on "AccessPermission", and
// when that worked on "LaunchPermission" too.
DWORD SetAppIdSecurity(const std::string& appId, const char* principal);

// Rewrites one value so that it grants `principal` COM_RIGHTS_EXECUTE: a first
// pass removes the principal's first ACE (its outcome is not looked at), a
// second appends an allow ACE at the end.
DWORD SetAppIdPermission(const std::string& appId, const char* principal, const char* valueName);

// The descriptor stored in HKCR\keyPath, valueName. A missing key, a missing
// or unreadable value, or one that is no sound self-relative descriptor gives
// NewOwnerSecurity with isNew set; other errors opening the key are returned.
DWORD ReadNamedSecurityValue(const std::string& keyPath, const char* valueName, SecurityValue& value);

// Stores the descriptor, in self-relative form, as REG_BINARY under
// HKCR\keyPath (created when missing).
DWORD WriteNamedSecurityValue(const std::string& keyPath, const char* valueName, const SecurityValue& value);

// A descriptor owned by the account running this process (owner and primary
// group), whose ACL allows that account COM_RIGHTS_EXECUTE.
DWORD NewOwnerSecurity(SecurityValue& value);

// Replaces `acl` (empty: none) by a copy with an access-allowed ACE for the
// principal appended.
DWORD AppendAllowAce(std::vector<BYTE>& acl, DWORD mask, const char* principal);

// Deletes the first allow, deny or audit ACE for the principal; finding none
// is no error.
DWORD RemoveFirstAceFor(std::vector<BYTE>& acl, const char* principal);

// The SID of an account name ("Everyone", "SYSTEM", "INTERACTIVE", a user)
// as `system` knows it (null: this machine).
DWORD PrincipalSid(const char* name, std::vector<BYTE>& sid, const char* system = nullptr);

// The user SID of this process's token.
DWORD CurrentUserSid(std::vector<BYTE>& sid);

// Puts a value together as a self-relative descriptor.
DWORD MakeSelfRelative(const SecurityValue& value, std::vector<BYTE>& selfRelative);

// Takes a self-relative descriptor apart. False, and nothing read past
// `size`, when the bytes are not a sound descriptor (a value someone corrupted).
bool ParseSelfRelative(const BYTE* data, size_t size, SecurityValue& value);

}  // namespace lullan
