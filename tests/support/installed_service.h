// A service of the test prefix's real service control manager, by name, as
// the end-to-end tests install, start, watch and stop it.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "handles.h"

namespace lullan::test {

class InstalledService {
 public:
  explicit InstalledService(std::wstring name) : name_(std::move(name)) {}

  const std::wstring& name() const { return name_; }
  // Its state; 0 when it is not installed or cannot be asked.
  DWORD State() const;
  bool WaitForState(DWORD state, std::chrono::seconds limit) const;
  // True once the manager no longer knows it: a deleted service lingers,
  // marked for deletion, until its process has ended.
  bool WaitUntilGone(std::chrono::seconds limit) const;
  // StartServiceW / the stop control; false with the last error.
  bool Start() const;
  bool Stop() const;
  // The process it runs in (SYNCHRONIZE and query rights); none when stopped.
  unique_handle Process() const;
  DWORD ProcessId() const;

  // Creates it, own process, demand start, as LocalSystem.
  bool Create(const std::wstring& commandLine, DWORD serviceType = SERVICE_WIN32_OWN_PROCESS) const;
  // Stops it when it runs (waiting until it has stopped) and deletes it.
  void Remove() const;

 private:
  unique_schandle Open(DWORD access) const;

  std::wstring name_;
};

}  // namespace lullan::test
