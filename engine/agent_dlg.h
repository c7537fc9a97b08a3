// The session agent's window. Hidden: it owns the agent's sampling timer,
// receives the session's lock and unlock notifications and the system's end
// of session, and carries out what the service asks (log the session off,
// quit). The windows the user sees (the countdown, the tray icon) belong
// to it.
#pragma once

#include <windows.h>

#include "agent_link.h"
#include "dialog.h"
#include "input_sampler.h"
#include "resource.h"

namespace lullan::engine {

class CAgentDlg final : public ui::CDialog {
 public:
  // How often the agent looks at its session.
  static constexpr UINT kSampleMs = 1000;

  CAgentDlg(AgentLink& link, InputSampler& sampler) noexcept : CDialog(IDD_AGENT), link_(link), sampler_(sampler) {}

  // A message from the service, on the window's thread.
  void OnServiceMessage(const Message& message);

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  void OnCancel() override {}  // Esc on a hidden window is nobody's

 private:
  void SampleNow();

  AgentLink& link_;
  InputSampler& sampler_;
  SampleGate gate_;
  bool notifications_ = false;
};

// The agent program: connects to the service, watches its session until
// the service tells it to quit or goes; returns the exit code.
int RunAgent();

}  // namespace lullan::engine
