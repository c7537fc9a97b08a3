#include "product_key_security.h"

#include <string>

#include "handles.h"
#include "product_key_acl.h"
#include "message_box.h"
#include "text_format.h"

namespace lullan::config {

DWORD SetProductKeySecurity(HWND owner, std::wstring_view keyPath, ConfigHost::Program program) {
  unique_hkey key;
  LSTATUS opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(keyPath).c_str(), 0, WRITE_DAC, key.put());
  if (opened != ERROR_SUCCESS) {
    const wchar_t* format =
        program == ConfigHost::Program::Setup ? L"RegOpenKeyEx error! (rc=%lu)\n" : L"RegOpenKeyEx error! (rc=%lu)";
    ui::ShowMessage(owner, FormatText(format, static_cast<unsigned long>(opened)));
    return ERROR_INVALID_DATA;
  }

  unique_heap_memory acl = ProductKeyDacl();
  if (!acl) return ERROR_INVALID_DATA;

  SECURITY_DESCRIPTOR descriptor;
  if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return ERROR_INVALID_DATA;
  if (!::SetSecurityDescriptorDacl(&descriptor, TRUE, as<ACL>(acl), FALSE)) {
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
