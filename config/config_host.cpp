#include "config_host.h"

#include "error_text.h"
#include "handles.h"
#include "message_box.h"
#include "platform.h"
#include "text_format.h"

namespace lullan::config {

void ReportError(HWND owner, DWORD code, std::wstring_view context) {
  if (code == 0) code = ::GetLastError();  // before anything else can change it
  ui::ShowMessage(owner, FormatText(L"%s error %lu: %s\n%s", ui::ProgramTitle().c_str(), code,
                                    std::wstring(context).c_str(), SystemErrorText(code).c_str()));
}

ConfigHost::DomainController SetupHost::FindDomainController() {
  unique_netapi_buffer name;
  LPBYTE buffer = nullptr;
  NET_API_STATUS status = platform().domain->GetAnyDCName(nullptr, nullptr, &buffer);
  name.reset(buffer);
  if (status != NERR_Success || !name) return {status != NERR_Success ? status : NERR_DCNotFound, {}};
  return {NERR_Success, as<const wchar_t>(name)};
}

ConfigHost::DomainController ConsoleHost::FindDomainController() {
  if (domainController_.empty()) return {NERR_DCNotFound, {}};
  return {NERR_Success, domainController_};
}

}  // namespace lullan::config
