// What the configuration pages need from the program that hosts them. setup
// and the console (tarnel) differ in exactly these services; a page asks its
// host instead of knowing which program it runs in, except where the two
// programs read, write or word things differently (program()).
//
//                      SetupHost                      ConsoleHost
//   key paths          always the version key         the target's local copy
//                                                     or profile key under the
//                                                     console key
//   change masks       none                           yes
//   domain controller  NetGetAnyDCName on every call  the name found at start-up
//
// Both report errors the same way (ReportError, with the program's title set
// at start-up through ui::SetProgramTitle) and show the same wait cursor
// (ui::WaitCursor).
#pragma once

#include <windows.h>
#include <lm.h>

#include <string>
#include <string_view>

#include "change_masks.h"
#include "product.h"
#include "target.h"

namespace lullan::config {

// "%s error %lu: %s\n%s" with the program's title, the code, `context` and the
// system's text for the code, in a message box owned by `owner`. A code of 0
// stands for the thread's last error.
void ReportError(HWND owner, DWORD code, std::wstring_view context);

class ConfigHost {
 public:
  enum class Program { Setup, Console };
  struct DomainController {
    NET_API_STATUS status;  // NERR_Success when `name` names one
    std::wstring name;
  };

  virtual ~ConfigHost() = default;
  virtual Program program() const = 0;
  bool IsSetup() const { return program() == Program::Setup; }

  // The key (under HKEY_LOCAL_MACHINE) that the pages of a sheet on `target`
  // edit; empty when the target names nothing.
  virtual std::wstring KeyPath(const Target& target) const = 0;

  // The console's change masks; null in setup, which keeps none.
  virtual ChangeMasks* masks() noexcept = 0;
  void MarkChanged(ChangeBit change) noexcept {
    if (ChangeMasks* m = masks()) m->Mark(change);
  }

  // The domain controller whose global groups the Groups page lists.
  virtual DomainController FindDomainController() = 0;

  void ReportError(HWND owner, DWORD code, std::wstring_view context) const {
    config::ReportError(owner, code, context);
  }
};

class SetupHost final : public ConfigHost {
 public:
  explicit SetupHost(std::wstring versionKeyPath = VersionKeyPath()) : versionKey_(std::move(versionKeyPath)) {}
  Program program() const override { return Program::Setup; }
  std::wstring KeyPath(const Target&) const override { return versionKey_; }
  ChangeMasks* masks() noexcept override { return nullptr; }
  // Asks the domain (NetGetAnyDCName, no server, no domain) on every call.
  DomainController FindDomainController() override;

 private:
  std::wstring versionKey_;
};

class ConsoleHost final : public ConfigHost {
 public:
  // `domainController` is what the console found at start-up (empty: none).
  explicit ConsoleHost(std::wstring consoleKeyPath = ConsoleKeyPath(), std::wstring domainController = {})
      : consoleKey_(std::move(consoleKeyPath)), domainController_(std::move(domainController)) {}
  Program program() const override { return Program::Console; }
  std::wstring KeyPath(const Target& target) const override { return TargetKeyPath(consoleKey_, target); }
  ChangeMasks* masks() noexcept override { return &masks_; }
  DomainController FindDomainController() override;

  const std::wstring& consoleKeyPath() const noexcept { return consoleKey_; }
  ChangeMasks& changes() noexcept { return masks_; }

 private:
  std::wstring consoleKey_;
  std::wstring domainController_;
  ChangeMasks masks_;
};

}  // namespace lullan::config
