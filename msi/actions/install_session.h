// What a custom action of the package sees of the installation running it:
// its properties, its log, and the error Windows Installer shows (or, in a
// quiet installation, writes to its log) before it rolls everything back.
//
//   UINT __stdcall SomeAction(MSIHANDLE handle) {
//     InstallSession session(handle);
//     if (...) return session.Fail(L"Can't ...");
//     session.Log(L"...");
//     return ERROR_SUCCESS;
//   }
#pragma once

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <string_view>
#include <vector>

#include "unique_any.h"

namespace lullan::msi {

namespace traits {
struct MsiHandle {
  using type = MSIHANDLE;
  static type invalid() noexcept { return 0; }
  static void close(type h) noexcept { ::MsiCloseHandle(h); }
};
}  // namespace traits
using unique_msihandle = unique_any<traits::MsiHandle>;

class InstallSession {
 public:
  explicit InstallSession(MSIHANDLE handle) noexcept : handle_(handle) {}

  // A property's value; empty when it is not set. A deferred action reads
  // only "CustomActionData" (SplitFields below).
  std::wstring Property(const wchar_t* name) const;
  void SetProperty(const wchar_t* name, const std::wstring& value) const;

  // A line in the installation's log.
  void Log(std::wstring_view text) const;
  // Shows (or logs) `text` as the installation's error and returns the code
  // that makes Windows Installer end the installation and roll it back.
  UINT Fail(std::wstring_view text) const;

 private:
  void Message(INSTALLMESSAGE kind, std::wstring_view text) const;

  MSIHANDLE handle_;
};

// The deferred actions' data: fields joined by a line break, which none of
// them can hold but the last (checked where they come from).
std::wstring JoinFields(const std::vector<std::wstring>& fields);
std::vector<std::wstring> SplitFields(std::wstring_view data, size_t count);

}  // namespace lullan::msi
