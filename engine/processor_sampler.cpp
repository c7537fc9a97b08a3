#include "processor_sampler.h"

#include <tlhelp32.h>

#include "handles.h"
#include "platform.h"

namespace lullan::engine {

namespace {

unsigned long long Hundreds(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

HANDLE OpenForTimes(DWORD processId) {
  // PROCESS_QUERY_LIMITED_INFORMATION opens more processes, but is unknown before Vista.
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  return process ? process : ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
}

}  // namespace

std::set<DWORD> ProcessorSampler::Sample(const EngineConfig& config, Tick now, const std::set<DWORD>& ignored) {
  std::set<DWORD> busy;
  unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return busy;
  const Tick interval = lastLook_ && now > *lastLook_ ? now - *lastLook_ : 0;
  std::map<DWORD, Seen> seen;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == 0 || ignored.count(entry.th32ProcessID)) continue;
    unique_handle process(OpenForTimes(entry.th32ProcessID));
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    if (!process || !::GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) continue;
    Seen now_{Hundreds(created), Hundreds(kernel), Hundreds(user)};
    seen[entry.th32ProcessID] = now_;
    // Compared only with the same process at the last look (an id may be reused).
    auto before = seen_.find(entry.th32ProcessID);
    if (interval == 0 || before == seen_.end() || before->second.created != now_.created) continue;
    DWORD session = 0;
    if (!platform().sessions->ProcessIdToSessionId(entry.th32ProcessID, &session)) continue;
    auto since = [](unsigned long long now, unsigned long long then) { return now > then ? (now - then) / 10000 : 0; };
    ProgramUse use{entry.szExeFile, since(now_.user, before->second.user), since(now_.kernel, before->second.kernel)};
    if (ProgramKeptBusy(config, use, interval)) busy.insert(session);
  }
  seen_ = std::move(seen);
  lastLook_ = now;
  return busy;
}

}  // namespace lullan::engine
