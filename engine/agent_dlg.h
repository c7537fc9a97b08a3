// The session agent's window. Hidden: it owns the agent's sampling timer,
// receives the session's lock and unlock notifications and the system's end
// of session, and carries out what the service asks (log the session off,
// quit). The windows the user sees (the countdown, the tray icon) belong
// to it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "agent_link.h"
#include "countdown_dlg.h"
#include "dialog.h"
#include "input_sampler.h"
#include "resource.h"
#include "tray_icon.h"

namespace lullan::engine {

class CAgentDlg final : public ui::CDialog {
 public:
  // How often the agent looks at its session.
  static constexpr UINT kSampleMs = 1000;

  CAgentDlg(AgentLink& link, InputSampler& sampler) noexcept : CDialog(IDD_AGENT), link_(link), sampler_(sampler) {}

  // A message from the service, on the window's thread.
  void OnServiceMessage(const Message& message);
  // Keyboard navigation of the countdown: true when `message` was its.
  bool CountdownMessage(MSG* message);
  HWND countdownWindow() const { return countdown_ ? countdown_->window() : nullptr; }

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  void OnCancel() override {}  // Esc on a hidden window is nobody's

 private:
  void SampleNow();
  void LookAtDisplayNow();
  // Plays the WAV file once without waiting; a file that cannot be read is
  // told to the service, which logs it.
  void Play(const std::wstring& file);

  AgentLink& link_;
  InputSampler& sampler_;
  SampleGate gate_;
  bool notifications_ = false;
  std::unique_ptr<CCountdownDlg> countdown_;
  std::optional<TrayIcon> tray_;
  std::optional<Display> displaySent_;
};

// The agent program: connects to the service, watches its session until
// the service tells it to quit or goes; returns the exit code.
int RunAgent();

}  // namespace lullan::engine
