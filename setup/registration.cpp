#include "registration.h"

#include "handles.h"
#include "message_box.h"
#include "setup_app.h"
#include "text_format.h"

namespace lullan::setup {

namespace {

constexpr DWORD kUnregisterWaitMs = 10000;
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;  // 7

using Export = HRESULT(STDAPICALLTYPE*)();

unique_hkey CreateKey(const std::wstring& path, HWND owner) {
  unique_hkey key;
  wchar_t noClass[] = L"";
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
    ui::ShowMessage(owner, FormatText(L"Couldn't create registry key %s", path.c_str()));
    key.reset();
  }
  return key;
}

bool WriteText(HKEY key, const wchar_t* name, const std::wstring& text) {
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Calls `name` of the component library `library`; false when it has no such export.
bool CallExport(const std::wstring& library, const char* name) {
  unique_library module(::LoadLibraryW(library.c_str()));
  if (!module) return false;  // the last error says why
  auto entry = reinterpret_cast<Export>(reinterpret_cast<void (*)()>(::GetProcAddress(module.get(), name)));
  if (!entry) return false;
  entry();
  return true;
}

std::wstring QuitsrvPath(const CSetupApp& app) { return FormatText(L"%s\\%s", app.installDir.c_str(), L"quitsrv.exe"); }

// By its full path: by its bare name the library would be looked for beside
// setup and in the current folder too, and whatever was planted there would
// run as the administrator running setup.
std::wstring QuitcomPath(const CSetupApp& app) { return FormatText(L"%s\\%s", app.installDir.c_str(), L"quitcom.dll"); }

}  // namespace

std::wstring EventSourceKeyPath(const CSetupApp& app) {
  return FormatText(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\%s", app.site().eventSource.c_str());
}

std::wstring UninstallKeyPath(const CSetupApp& app) {
  return FormatText(L"%s\\%s", kUninstallParentKey, app.site().uninstallEntry.c_str());
}

void RegisterMessageFile(const CSetupApp& app, HWND owner) {
  unique_hkey key = CreateKey(EventSourceKeyPath(app), owner);
  if (!key) return;
  if (!WriteText(key.get(), L"EventMessageFile", FormatText(L"%s\\%s", app.installDir.c_str(), kEventMessageFile))) {
    ui::ShowMessage(owner, L"Could not set the event message file.");
    return;
  }
  if (::RegSetValueExW(key.get(), L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kTypesSupported),
                       sizeof kTypesSupported) != ERROR_SUCCESS) {
    ui::ShowMessage(owner, L"Could not set the supported types.");
  }
}

void RegisterUninstallInfo(const CSetupApp& app, HWND owner) {
  unique_hkey key = CreateKey(UninstallKeyPath(app), owner);
  if (!key) return;
  if (!WriteText(key.get(), L"DisplayName", FormatText(L"Fennick Software %s", kProductName))) {
    ui::ShowMessage(owner, L"Could not set add/remove display name.");
    return;
  }
  if (!WriteText(key.get(), L"DisplayVersion", app.site().versionName)) {
    ui::ShowMessage(owner, L"Couldn't set display version.");
  }
  if (!WriteText(key.get(), L"InstallLocation", app.installDir)) {
    ui::ShowMessage(owner, L"Couldn't set the install location.");
  }
  // Quoted: unquoted, a directory with a blank ("C:\Program Files\Lullan")
  // would have Windows look for "C:\Program.exe" first.
  if (!WriteText(key.get(), L"UninstallString", FormatText(L"\"%s\\setup.exe\" /u", app.installDir.c_str()))) {
    ui::ShowMessage(owner, L"Could not set the uninstall string.");
  }
  if (!WriteText(key.get(), L"URLInfoAbout", kInformationAddress)) {
    ui::ShowMessage(owner, L"Could not set the 'about' url.");
  }
}

void RegisterComponents(const CSetupApp& app, HWND owner) {
  if (!CallExport(QuitcomPath(app), "DllRegisterServer")) {
    ui::ShowMessage(owner,
                    FormatText(L"Error %d getting address of DllRegisterServer", static_cast<int>(::GetLastError())));
  }
  std::wstring program = QuitsrvPath(app);
  if (!StartDetached(program.c_str(), FormatText(L"\"%s\" -RegServer", program.c_str()))) {
    ui::ShowMessage(
        owner, FormatText(L"Error %d registering component %s", static_cast<int>(::GetLastError()), program.c_str()));
  }
}

void UnregisterComponents(const CSetupApp& app, HWND owner) {
  if (!CallExport(QuitcomPath(app), "DllUnregisterServer")) {
    ui::ShowMessage(owner,
                    FormatText(L"Error %d getting DllUnregisterServer address", static_cast<int>(::GetLastError())));
  }
  std::wstring program = QuitsrvPath(app);
  unique_handle unregistering = StartProgram(program.c_str(), FormatText(L"\"%s\" -UnregServer", program.c_str()));
  if (!unregistering) {
    ui::ShowMessage(
        owner, FormatText(L"Error %d unregistering component %s", static_cast<int>(::GetLastError()), program.c_str()));
    return;
  }
  // The removal deletes quitsrv.exe next: while the program still runs, its
  // file cannot go.
  ::WaitForSingleObject(unregistering.get(), kUnregisterWaitMs);
}

bool StartDetached(const wchar_t* program, std::wstring commandLine) {
  return static_cast<bool>(StartProgram(program, std::move(commandLine)));
}

unique_handle StartProgram(const wchar_t* program, std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
    return unique_handle();
  }
  unique_handle thread(started.hThread);
  return unique_handle(started.hProcess);
}

}  // namespace lullan::setup
