#include "probe_gate.h"

namespace lullan::tarnel {

ProbeGate::ProbeGate(DWORD probesAtOnce) : free_(static_cast<LONG>(probesAtOnce)) {
  if (probesAtOnce == 0) return;
  // No wake-up is owed yet: a thread waits on the semaphore only when it
  // found every place taken.
  wakeUps_.reset(::CreateSemaphoreW(nullptr, 0, MAXLONG, nullptr));
}

ProbeGate::Hold::Hold(ProbeGate& gate) noexcept : gate_(gate) {
  if (!gate_.wakeUps_) {
    gate_.oneAtATime_.Enter();
  } else if (::InterlockedDecrement(&gate_.free_) < 0) {
    // Every place was taken: the thread that leaves one wakes this one.
    ::WaitForSingleObject(gate_.wakeUps_.get(), INFINITE);
  }
}

ProbeGate::Hold::~Hold() {
  if (!gate_.wakeUps_) {
    gate_.oneAtATime_.Leave();
  } else if (::InterlockedIncrement(&gate_.free_) <= 0) {
    // A thread is waiting for this place.
    ::ReleaseSemaphore(gate_.wakeUps_.get(), 1, nullptr);
  }
}

}  // namespace lullan::tarnel
