// Security descriptors as text, so that tests compare them as a reader would
// ("allow 0x1 S-1-5-18") and failures show what was there.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace lullan::test {

std::string SidText(PSID sid);
// The SID of an account name on this machine, as text; empty when unknown.
std::string AccountSidText(const char* name);
std::string CurrentUserSidText();

struct DescriptorText {
  bool valid = false;
  int revision = 0;
  std::string owner;
  std::string group;
  int aclRevision = 0;
  std::vector<std::string> aces;  // "allow 0x1 S-1-5-18", "deny 0x1 S-1-1-0", with " flags 0x.." when set
};
DescriptorText DescribeSelfRelative(const std::vector<BYTE>& descriptor);

// A binary value under HKEY_CLASSES_ROOT; empty when missing.
std::vector<BYTE> ReadClassesBinary(const std::string& keyPath, const char* valueName);

// A self-relative descriptor owned by the current user with the given ACEs,
// each a type (ACCESS_ALLOWED_ACE_TYPE, ACCESS_DENIED_ACE_TYPE) and an account name.
std::vector<BYTE> BuildDescriptor(const std::vector<std::pair<BYTE, const char*>>& aces);

}  // namespace lullan::test
