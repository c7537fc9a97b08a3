// The server control panel's application object, CServerPanelApp: what the
// console learns at start-up and keeps for the life of the process, and the
// start-up itself.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "config_host.h"
#include "console_settings.h"
#include "product.h"

namespace lullan::tarnel {

inline constexpr wchar_t kProgramTitle[] = L"Lullan Server Control Panel";

class CServerPanelApp {
 public:
  // `consoleKeyPath`: the console key under HKEY_LOCAL_MACHINE (the tests
  // give each console a key of its own).
  explicit CServerPanelApp(std::wstring consoleKeyPath = ConsoleKeyPath());

  // Start-up: the program's title, the computer name, the console settings
  // and the domain controller. Its messages come before any window of the
  // console, in boxes without an owner; start-up goes on after each.
  void InitInstance();
  // Start-up, then the main dialog until it closes. The program's exit code.
  int Run();

  const std::wstring& versionKeyPath() const noexcept { return versionKeyPath_; }
  const std::wstring& consoleKeyPath() const noexcept { return consoleKeyPath_; }
  // Written into workstations as their profile server.
  const std::wstring& computerName() const noexcept { return computerName_; }
  const ConsoleSettings& settings() const noexcept { return settings_; }
  // The domain controller NetGetAnyDCName named at start-up, as it named it
  // (\\DC1); empty when there was none.
  const std::wstring& domainController() const noexcept { return domainController_; }
  // What the configuration pages ask of the console: the change masks and
  // the domain controller found at start-up (none before InitInstance).
  config::ConsoleHost& host() noexcept { return *host_; }

 private:
  // NetGetAnyDCName for this machine's domain; empty, after a message, when
  // there is none.
  static std::wstring FindDomainController();

  std::wstring versionKeyPath_;
  std::wstring consoleKeyPath_;
  std::wstring computerName_;
  ConsoleSettings settings_;
  std::wstring domainController_;
  std::unique_ptr<config::ConsoleHost> host_;
};

}  // namespace lullan::tarnel
