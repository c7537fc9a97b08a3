// A machine for the configuration pages to work on: a version key of its own
// under HKEY_LOCAL_MACHINE (removed before and after each test), its console
// key, and the two hosts the pages run in: setup (no masks) and the console
// (masks, a domain controller found at start-up).
//
//   Store(MachineKey(), L"ExplorerSensitivity", 1);
//   SheetSession admin;
//   admin.Slide(IDC_TUNING_SENSITIVITY, 3).PressOK();
//   admin.Run(*OpenSheet<CTuneDlg>(console, Target::Machine(L"PC-017")));
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "config_host.h"
#include "dialog_session.h"
#include "prop_sht.h"

namespace lullan::test {

class ConfigTest : public ::testing::Test {
 protected:
  ConfigTest();
  ~ConfigTest() override;

  // The local copy key of PC-017, the machine the console's sheets edit.
  static constexpr wchar_t kMachine[] = L"PC-017";
  std::wstring MachineKey() const { return consoleKey + L"\\" + kMachine; }
  std::wstring ProfileKey(const std::wstring& profile) const { return consoleKey + L"\\Profiles\\" + profile; }

  // A sheet on `target` with the pages `Pages`, in that order, as an opener
  // would make it.
  template <typename... Pages>
  std::unique_ptr<config::CPropSht> Sheet(config::ConfigHost& host, config::Target target) {
    auto sheet = std::make_unique<config::CPropSht>(host, std::move(target), L"Lullan Configuration");
    (sheet->Add<Pages>(), ...);
    return sheet;
  }

  // The registry as the test sets it up and finds it.
  void Store(const std::wstring& key, const wchar_t* name, DWORD number);
  void Store(const std::wstring& key, const wchar_t* name, const std::wstring& text);
  void StoreRaw(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size);
  std::optional<DWORD> Number(const std::wstring& key, const wchar_t* name) const;
  std::optional<std::wstring> Text(const std::wstring& key, const wchar_t* name) const;
  std::set<std::wstring> ValueNames(const std::wstring& key) const;

  std::wstring root;        // SOFTWARE\LullanTests\config-<process>-<n>
  std::wstring versionKey;  // root\1.11: the machine's own configuration
  std::wstring consoleKey;  // versionKey\Tarnel
  config::SetupHost setup;
  config::ConsoleHost console;
};

}  // namespace lullan::test
