// Stands in for notepad.exe in the release-notes test: writes the command
// line it was started with (UTF-8) into the file that the environment
// variable LULLAN_FAKE_NOTEPAD_LOG names, and ends.
#include <windows.h>

#include <string>

#include "handles.h"
#include "text_format.h"

int wmain() {
  wchar_t log[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"LULLAN_FAKE_NOTEPAD_LOG", log, MAX_PATH) == 0) return 1;
  std::string line = lullan::Narrow(::GetCommandLineW(), CP_UTF8);
  lullan::unique_file file(::CreateFileW(log, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ? 0 : 1;
}
