// The probe lock: how many registry probes of other computers run at once in
// the whole console. By default one at a time, as the console has always
// probed; with the console setting ProbeThreads, at most that many, so that
// a large domain's registries are read side by side.
//
//   ProbeGate probes(settings.probeThreads);
//   {
//     ProbeGate::Hold hold(probes);   // waits for a free place
//     ... one computer's registry ...
//   }
//
// A thread holds a place for one probe only and never waits for another
// thread while it holds it, so a wait for a place always ends. Taking a free
// place and leaving one nobody waits for cost no call to the system: in a
// large domain most probes find a place free.
#pragma once

#include <windows.h>

#include "critical_section.h"
#include "handles.h"

namespace lullan::tarnel {

class ProbeGate {
 public:
  // 0: one probe at a time; otherwise at most `probesAtOnce`. Should the
  // system refuse a semaphore, probes run one at a time.
  explicit ProbeGate(DWORD probesAtOnce = 0);
  ProbeGate(const ProbeGate&) = delete;
  ProbeGate& operator=(const ProbeGate&) = delete;

  class [[nodiscard]] Hold {
   public:
    explicit Hold(ProbeGate& gate) noexcept;
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    ProbeGate& gate_;
  };

 private:
  CriticalSection oneAtATime_;
  // Places still free; below zero, minus the number of threads waiting.
  LONG volatile free_;
  unique_handle wakeUps_;  // a semaphore: one count per waiting thread to wake
};

}  // namespace lullan::tarnel
