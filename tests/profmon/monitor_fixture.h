// A workstation for the monitor to run its cycles on, in process: the
// prefix's real HKEY_LOCAL_MACHINE version key (removed before and after each
// test), a profile server "PROFSRV" whose registry is a scratch subtree, a
// fixed clock, a recording event log, and a log folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"

namespace lullan::test {

class MonitorTest : public ::testing::Test {
 protected:
  MonitorTest();
  ~MonitorTest() override;

  // Runs `count` monitoring cycles.
  void Cycles(int count);
  // The monitor as a new start of the service finds it: state and log as at
  // process start, the configuration key path set.
  void Restart();

  // The workstation's configuration (HKLM version key).
  void SetLocal(const wchar_t* name, const std::wstring& text);
  void SetLocal(const wchar_t* name, DWORD number);
  // The shared profile "name" on PROFSRV.
  std::wstring ServerProfilePath(const std::wstring& name) const;
  void SetProfile(const std::wstring& profile, const wchar_t* name, const std::wstring& text);
  void SetProfile(const std::wstring& profile, const wchar_t* name, DWORD number);
  // Assigns the profile: "Profile", "PLS" and the local stamp.
  void Assign(const std::wstring& profile, const std::wstring& server, DWORD localStamp);

  // What the log file in the test's log folder holds now.
  std::string LogText() const;
  int Count(const std::string& text, const std::string& what) const;
  // How often the monitor connected to a profile server so far.
  size_t Connections() const { return machines.requests.size(); }

  std::wstring logFolder;
  std::wstring versionKey;
  FakeRemoteRegistry machines;
  HKEY server = nullptr;
  FixedClock clock;
  RecordingEventLog events;

 private:
  ScopedPlatform platform_;
};

}  // namespace lullan::test
