// "Logoff Now!", "Shutdown Now!" and "Reboot Now!" of the main dialog, and
// the DCOM call each makes for each selected computer.
#include "remote_logoff.h"

#include <vector>

#include "com_ptr.h"
#include "message_box.h"
#include "platform.h"
#include "quitsrv.h"
#include "text_format.h"
#include "wait_cursor.h"

namespace lullan::tarnel {

namespace {

// Why CoCreateInstanceEx failed, in the administrator's words.
const wchar_t* CreationFailure(HRESULT result) {
  switch (result) {
    case E_NOINTERFACE:
      return L"Specified interface not available";
    case E_ACCESSDENIED:
      return L"Access denied";
    case E_OUTOFMEMORY:
      return L"Out of memory";
    case E_INVALIDARG:
      return L"One or more args invalid";
    default:
      return L"Unknown error";
  }
}

HRESULT Call(ILogoffEx& logoff, SessionEnd operation) {
  switch (operation) {
    case SessionEnd::Shutdown:
      return logoff.Shutdown();
    case SessionEnd::Reboot:
      return logoff.Reboot();
    default:
      return logoff.Logoff();
  }
}

}  // namespace

bool CallLogoffServer(HWND owner, SessionEnd operation, const std::wstring& computer) {
  ui::WaitCursor wait;
  std::wstring name(computer);  // the name exactly as listed, without backslashes
  // NTLM, which needs no principal name and which NT 4.0 has.
  COAUTHINFO auth{RPC_C_AUTHN_WINNT,           RPC_C_AUTHZ_NONE, nullptr,  kDcomAuthenticationLevel,
                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,          EOAC_NONE};
  COSERVERINFO server{0, name.data(), &auth, 0};
  MULTI_QI query{&__uuidof(IUnknown), nullptr, S_OK};
  HRESULT created =
      platform().remoteLogoff->CreateInstanceEx(CLSID_FCLogoffEx, nullptr, CLSCTX_REMOTE_SERVER, &server, 1, &query);
  com_ptr<IUnknown> object(query.pItf);
  if (SUCCEEDED(created) && FAILED(query.hr)) created = query.hr;
  if (FAILED(created) || !object) {
    ui::ShowMessage(owner, std::wstring(L"CoCreateInstanceEx error: ") + CreationFailure(created));
    return false;
  }

  com_ptr<ILogoffEx> logoff;
  HRESULT found = object.query(IID_ILogoffEx, logoff);
  object.reset();
  if (FAILED(found) || !logoff) {
    ui::ShowMessage(owner, L"IID_ILogoff not supported.");
    return false;
  }
  return SUCCEEDED(Call(*logoff.get(), operation));
}

void CServerPanelDlg::EndSessionsNow(SessionEnd operation) {
  const std::vector<std::wstring> computers = SelectedComputers();
  const int selected = static_cast<int>(computers.size());
  if (selected == 0) {
    ui::ShowMessage(*this, L"No computer selected");
    return;
  }
  const bool logoff = operation == SessionEnd::Logoff;
  const wchar_t* verb = operation == SessionEnd::Shutdown ? L"Shutdown" : L"Reboot";
  if (selected > 1) {
    std::wstring question = logoff ? FormatText(L"Logoff current user on %d machines?", selected)
                                   : FormatText(L"%s %d machines?", verb, selected);
    if (ui::ShowMessage(*this, question, MB_YESNO) != IDYES) return;
  }

  int succeeded = 0;
  for (const std::wstring& name : computers) {
    std::wstring line =
        logoff ? FormatText(L"Logoff on %s", name.c_str()) : FormatText(L"%s of %s", verb, name.c_str());
    // Held until its line is shown; one the purge took while a box was up
    // is not called.
    HeldComputer computer = HoldComputer(name);
    if (!computer) {
      SetStatusText(line + L" failed: no longer listed.");
      continue;
    }
    std::wstring question;
    if (logoff) {
      // Probed first, so that the question names whoever is logged on now.
      ProbeComputer(name);
      question = FormatText(L"Logoff %s from machine %s?", computer->currentUser.c_str(), name.c_str());
    } else {
      question = FormatText(L"%s machine %s?", verb, name.c_str());
    }
    if (selected == 1 && ui::ShowMessage(*this, question, MB_YESNO) != IDYES) return;

    if (CallLogoffServer(window(), operation, name)) {
      line += L" successful.";
      EndedSession(name);
      ++succeeded;
    } else {
      line += L" failed.";
    }
    SetStatusText(line);
  }

  if (succeeded < 2) return;
  if (logoff) {
    SetStatusText(FormatText(L"Logged off %d machines", succeeded));
  } else if (operation == SessionEnd::Shutdown) {
    SetStatusText(FormatText(L"%s %d machines", verb, succeeded));
  } else {
    SetStatusText(FormatText(L"%sed %d machines", verb, succeeded));
  }
}

CComputerInfo* CServerPanelDlg::ProbeComputer(const std::wstring& name) {
  // The probe lock may be held by a worker for a moment; workers never wait
  // for this thread, so the wait ends. Messages are shown once the probe has
  // let go of the lock.
  HeldMessages messages;
  std::optional<ProbeResult> probed = tarnel::ProbeComputer(*state_, name, messages);
  messages.ShowAll(window());
  if (probed) ShowProbe(name, *probed);
  return state_->records.FindComputer(name);
}

void CServerPanelDlg::EndedSession(const std::wstring& name) {
  // The previous user's cell shows the new name only after the next probe.
  if (CComputerInfo* record = state_->records.FindComputer(name)) {
    record->previousUser = record->currentUser.str();
    record->currentUser = L"";
  }
  int row = list_.FindComputerRow(name);
  if (row >= 0) list_.SetSubItem(row, kCurrentUserColumn, L"");
}

}  // namespace lullan::tarnel
