// A domain for the console to scan, made of the test fakes: the browse list
// (ScriptedDomain), each workstation's service manager and registry, and the
// logoff servers on them. A workstation's registry is a scratch subtree of
// this prefix's registry, so the console does real registry work on it.
//
//   Workstation(L"PC-017", L"alice", 25);   // listed, Lullan running, alice idle 25
//   Listed(L"PC-095").Win9x();              // no service manager at all
//   ConsoleSession admin;
//   admin.WaitForScan().Select({L"PC-017"}).Click(IDC_LOGOFF_NOW).Answer(IDYES).Exit();
//   RunConsole(admin);
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "console_session.h"
#include "fake_platform.h"
#include "recording_remote_logoff.h"
#include "registry_fixture.h"
#include "scripted_domain.h"
#include "scripted_service_manager.h"
#include "server_panel_app.h"

namespace lullan::test {

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest();
  ~ConsoleTest() override;

  // A computer of the browse list (a Windows 2000 workstation unless the
  // test says otherwise). Its service manager is unreachable until scripted.
  ScriptedDomain::Computer& Listed(const std::wstring& name) { return domain.AddComputer(name); }
  // A listed workstation whose main service is in `state`, with `user`
  // logged on, idle for `idle`, and its version key in place.
  ScriptedDomain::Computer& Workstation(const std::wstring& name, const std::wstring& user = L"", DWORD idle = 0,
                                        DWORD state = SERVICE_RUNNING);

  // The computer's HKEY_LOCAL_MACHINE, and what the test stores there.
  HKEY Registry(const std::wstring& computer) { return registry.AddMachine(computer); }
  void Store(const std::wstring& computer, const wchar_t* name, DWORD value, const std::wstring& key = kVersionKey);
  void Store(const std::wstring& computer, const wchar_t* name, const std::wstring& text,
             const std::wstring& key = kVersionKey);
  void LoggedOn(const std::wstring& computer, const std::wstring& user);

  // Opens the main dialog, runs the session on it, and waits for the scan
  // threads to end before the fakes go. What the session's window returned.
  INT_PTR RunConsole(ConsoleSession& admin);

  // The computers whose service managers the console opened, in the order it did.
  std::vector<std::wstring> ManagersOpened() const;

  // A message of the console that tells why a call failed: the text, then
  // the system's text for `error`.
  static std::wstring Because(const std::wstring& text, DWORD error);

  static constexpr wchar_t kVersionKey[] = L"SOFTWARE\\Fennick\\Lullan\\1.11";
  static constexpr wchar_t kWinlogonKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

  ScriptedDomain domain;
  ScriptedServiceManager services;
  FakeRemoteRegistry registry;
  RecordingRemoteLogoff logoff;
  std::wstring consoleKey;  // under HKEY_LOCAL_MACHINE, removed before and after
  tarnel::CServerPanelApp app;

 private:
  ScopedPlatform platform_;
};

}  // namespace lullan::test
