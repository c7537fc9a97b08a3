#include "agent_dlg.h"

#include <wtsapi32.h>

#include "platform.h"

namespace lullan::engine {

namespace {

constexpr UINT_PTR kSampleTimer = 1;
// How long a new agent waits for its service to open the session's pipe.
constexpr DWORD kConnectWait = 10000;

constexpr DWORD kPlannedReason = SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

enum ExitCode : int { kQuit = 0, kNoService = 2, kNoWindow = 3, kWaitFailed = 4 };

}  // namespace

bool CAgentDlg::OnInitDialog() {
  notifications_ = ::WTSRegisterSessionNotification(window(), NOTIFY_FOR_THIS_SESSION) != FALSE;
  ::SetTimer(window(), kSampleTimer, kSampleMs, nullptr);
  SampleNow();
  return false;
}

void CAgentDlg::SampleNow() {
  Sample sample = sampler_.Take();
  DWORD tick = ::GetTickCount();
  if (!gate_.ShouldSend(sample, tick)) return;
  link_.Send(sample);
  gate_.Sent(sample, tick);
}

bool CAgentDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kSampleTimer) return false;
      SampleNow();
      return true;
    case WM_WTSSESSION_CHANGE:
      SampleNow();  // locked or unlocked: the service hears at once
      return true;
    case WM_ENDSESSION:
      if (wParam) Destroy();
      result = 0;
      return true;
    case WM_DESTROY:
      if (notifications_) ::WTSUnRegisterSessionNotification(window());
      ::KillTimer(window(), kSampleTimer);
      ::PostQuitMessage(kQuit);
      return true;
    default:
      return false;
  }
}

void CAgentDlg::OnServiceMessage(const Message& message) {
  if (std::holds_alternative<LogOff>(message)) {
    // As the user, in the session: programs may ask to save their work or
    // refuse; the service forces the logoff when the session is still there
    // a minute later.
    platform().systemExit->ExitWindowsEx(EWX_LOGOFF, kPlannedReason);
  } else if (std::holds_alternative<Quit>(message)) {
    Destroy();
  }
}

int RunAgent() {
  DWORD session = 0;
  platform().sessions->ProcessIdToSessionId(::GetCurrentProcessId(), &session);
  AgentLink link;
  if (!link.Connect(AgentPipeName(session), kConnectWait)) return kNoService;
  link.Send(Hello{});
  InputSampler sampler;
  CAgentDlg agent(link, sampler);
  if (!agent.Create(nullptr)) return kNoWindow;

  // One thread: the queue and the pipe's events are waited on together.
  for (;;) {
    DWORD woke = ::MsgWaitForMultipleObjectsEx(AgentLink::kEventCount, link.events(), INFINITE, QS_ALLINPUT,
                                               MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) return kWaitFailed;
    if (woke < WAIT_OBJECT_0 + AgentLink::kEventCount) {
      for (const Message& message : link.Pump()) agent.OnServiceMessage(message);
      // The service went (or broke the protocol): nobody acts on what the agent sees.
      if (!link.connected()) agent.Destroy();
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace lullan::engine
