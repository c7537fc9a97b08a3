#include "server_panel_app.h"

#include "console_messages.h"
#include "handles.h"
#include "message_box.h"
#include "platform.h"
#include "server_panel_dlg.h"
#include "text_format.h"

namespace lullan::tarnel {

CServerPanelApp::CServerPanelApp(std::wstring consoleKeyPath)
    : versionKeyPath_(VersionKeyPath()),
      consoleKeyPath_(std::move(consoleKeyPath)),
      host_(std::make_unique<config::ConsoleHost>(consoleKeyPath_)) {}

void CServerPanelApp::InitInstance() {
  ui::SetProgramTitle(kProgramTitle);

  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = ARRAYSIZE(name);
  if (::GetComputerNameW(name, &length)) computerName_.assign(name, length);

  settings_ = ReadConsoleSettings(nullptr, consoleKeyPath_);
  domainController_ = FindDomainController();
  host_ = std::make_unique<config::ConsoleHost>(consoleKeyPath_, domainController_);
}

std::wstring CServerPanelApp::FindDomainController() {
  LPBYTE buffer = nullptr;
  NET_API_STATUS status = platform().domain->GetAnyDCName(nullptr, nullptr, &buffer);
  unique_netapi_buffer name(buffer);
  if (status == NERR_Success && name) return as<const wchar_t>(name);
  if (status == NERR_Success) status = NERR_DCNotFound;
  ui::ShowMessage(nullptr, FormatText(L"Can't find domain controller: error %lu\r\nIs your network up?", status));
  return std::wstring();
}

int CServerPanelApp::Run() {
  InitInstance();
  CServerPanelDlg dialog(*this);
  if (dialog.DoModal(nullptr) == -1) {
    ReportLastError(nullptr, L"Can't open the main window");
    return 1;
  }
  return 0;
}

}  // namespace lullan::tarnel
