#include "agent_dlg.h"

#include <mmsystem.h>
#include <wtsapi32.h>

#include "display_watch.h"
#include "handles.h"
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
  HICON icon =
      static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LULLAN), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  tray_.emplace(window(), icon);
  SampleNow();
  LookAtDisplayNow();
  return false;
}

void CAgentDlg::LookAtDisplayNow() {
  Display display = LookAtDisplay();
  if (displaySent_ == display) return;
  link_.Send(display);
  displaySent_ = std::move(display);
}

void CAgentDlg::Play(const std::wstring& file) {
  // Opened first, as the user: the system's own answer says why it cannot be.
  DWORD error = NO_ERROR;
  {
    unique_file opened(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!opened) error = ::GetLastError();
  }
  if (error == NO_ERROR && !platform().desktop->PlaySound(file.c_str(), SND_ASYNC | SND_NODEFAULT))
    error = ERROR_BAD_FORMAT;  // not a sound the system can play
  if (error != NO_ERROR) link_.Send(SoundFailed{error, file});
}

bool CAgentDlg::CountdownMessage(MSG* message) {
  HWND countdown = countdownWindow();
  return countdown && ::IsWindow(countdown) && ::IsDialogMessageW(countdown, message);
}

void CAgentDlg::SampleNow() {
  Sample sample = sampler_.Take();
  DWORD tick = ::GetTickCount();
  if (!gate_.ShouldSend(sample, tick)) return;
  link_.Send(sample);
  gate_.Sent(sample, tick);
}

bool CAgentDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  if (message != 0 && message == TrayIcon::TaskbarCreatedMessage()) {
    if (tray_) tray_->Restore();  // Explorer restarted: the icon comes back
    return true;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam != kSampleTimer) return false;
      SampleNow();
      LookAtDisplayNow();
      return true;
    case WM_WTSSESSION_CHANGE:
      SampleNow();  // locked or unlocked: the service hears at once
      return true;
    case WM_ENDSESSION:
      if (wParam) Destroy();
      result = 0;
      return true;
    case WM_DESTROY:
      countdown_.reset();
      tray_.reset();  // the icon goes with the window that owns it
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
  } else if (const auto* countdown = std::get_if<Countdown>(&message)) {
    countdown_ = std::make_unique<CCountdownDlg>(*countdown, [this] { link_.Send(Cancel{}); });
    if (!countdown_->Create(nullptr)) countdown_.reset();
  } else if (std::holds_alternative<EndCountdown>(message)) {
    countdown_.reset();
  } else if (const auto* wave = std::get_if<PlayWave>(&message)) {
    Play(wave->file);
  } else if (const auto* tip = std::get_if<TrayTip>(&message)) {
    if (tray_) tray_->Show(tip->text);
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
      if (agent.CountdownMessage(&message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace lullan::engine
