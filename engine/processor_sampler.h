// Which sessions have a program that kept the processor busy since the last
// look: every process of the machine, its processor times compared with the
// last look's, judged by ProgramKeptBusy (decisions.h).
//
// Under Wine a process's times are those of the caller, whatever process is
// asked about: there, every program seems to work as much as the service.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "decisions.h"

namespace lullan::engine {

class ProcessorSampler {
 public:
  // Looks at every process but those of `ignored` (the engine's own); returns
  // the sessions in which a program kept the processor busy since the last
  // look. The first look only takes note.
  std::set<DWORD> Sample(const EngineConfig& config, Tick now, const std::set<DWORD>& ignored);

 private:
  struct Seen {
    unsigned long long created;
    unsigned long long kernel;  // 100-ns units
    unsigned long long user;
  };
  std::map<DWORD, Seen> seen_;
  std::optional<Tick> lastLook_;
};

}  // namespace lullan::engine
