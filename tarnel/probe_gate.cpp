#include "probe_gate.h"

namespace lullan::tarnel {

ProbeGate::ProbeGate(DWORD probesAtOnce) {
  if (probesAtOnce == 0) return;
  const auto places = static_cast<LONG>(probesAtOnce);
  places_.reset(::CreateSemaphoreW(nullptr, places, places, nullptr));
}

ProbeGate::Hold::Hold(ProbeGate& gate) noexcept : gate_(gate) {
  if (gate_.places_) {
    ::WaitForSingleObject(gate_.places_.get(), INFINITE);
  } else {
    gate_.oneAtATime_.Enter();
  }
}

ProbeGate::Hold::~Hold() {
  if (gate_.places_) {
    ::ReleaseSemaphore(gate_.places_.get(), 1, nullptr);
  } else {
    gate_.oneAtATime_.Leave();
  }
}

}  // namespace lullan::tarnel
