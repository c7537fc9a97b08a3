#include "remote_keys.h"

#include "computer_probe.h"
#include "platform.h"
#include "product.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

unique_hkey Owned(LSTATUS result, HKEY key, LSTATUS* status) {
  if (status) *status = result;
  return result == ERROR_SUCCESS ? unique_hkey(key) : unique_hkey();
}

}  // namespace

unique_hkey ConnectRegistry(const std::wstring& computer, LSTATUS* status) {
  HKEY root = nullptr;
  std::wstring machine = L"\\\\" + computer;
  LSTATUS result = platform().remoteRegistry->ConnectRegistry(machine.c_str(), HKEY_LOCAL_MACHINE, &root);
  return Owned(result, root, status);
}

unique_hkey OpenKey(HKEY parent, const std::wstring& path, REGSAM access, LSTATUS* status) {
  HKEY key = nullptr;
  LSTATUS result = ::RegOpenKeyExW(parent, path.c_str(), 0, access, &key);
  return Owned(result, key, status);
}

unique_hkey CreateKey(HKEY parent, const std::wstring& path, REGSAM access, LSTATUS* status, bool* created) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LSTATUS result =
      ::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
  if (created) *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return Owned(result, key, status);
}

unique_hkey OpenVersionKey(HKEY root, REGSAM access, std::wstring& path, MessageSink& messages, LSTATUS* status) {
  path = kProductKey;
  {
    unique_hkey product = OpenKey(root, path, KEY_READ, status);
    if (!product) return product;
    FindVersionKey(product.get(), path, messages);
  }
  return OpenKey(root, path, access, status);
}

std::wstring CantOpenRemoteKey(const std::wstring& path, const std::wstring& computer, LSTATUS status) {
  return ErrorMessage(FormatText(L"Can't open registry key %s on %s", path.c_str(), computer.c_str()), status);
}

std::wstring CantConnect(const std::wstring& computer, LSTATUS status) {
  return ErrorMessage(FormatText(L"Can't connect to %s's registry", computer.c_str()), status);
}

}  // namespace lullan::tarnel
