// A program that limits its library search (as every shipped program does on
// its first line) never loads a library planted in its current folder, and
// still loads the one beside it (logoff.exe /install loads quitcom.dll from
// its own folder by name).
#include <gtest/gtest.h>

#include <filesystem>

#include "build_paths.h"
#include "handles.h"
#include "planted_library.h"
#include "registry_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

namespace fs = std::filesystem;

// Runs `program` with `argument` in the folder `current`; its exit code.
DWORD RunIn(const fs::path& program, const wchar_t* argument, const fs::path& current) {
  std::wstring commandLine = FormatText(L"\"%s\" %s", program.c_str(), argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, current.c_str(),
                        &startup, &started))
    return ::GetLastError();
  unique_handle thread(started.hThread);
  unique_handle process(started.hProcess);
  DWORD code = MAXDWORD;
  if (::WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.get(), &code);
  return code;
}

TEST(DllSearch, ALibraryPlantedInTheCurrentFolderIsNeverLoadedOneBesideTheProgramIs) {
  const fs::path probe = WindowsPathOf(DLL_SEARCH_PROBE);
  const fs::path planted = WindowsPathOf(PLANTED_LIBRARY);
  const fs::path scratch = fs::temp_directory_path() / FormatText(L"lullan-dll-search-%lu", ::GetCurrentProcessId());
  const fs::path current = scratch / L"current", installed = scratch / L"installed";
  for (const fs::path& folder : {current, installed}) {
    fs::create_directories(folder);
    fs::copy_file(planted, folder / L"quitcom.dll", fs::copy_options::overwrite_existing);
  }
  fs::copy_file(probe, installed / L"probe.exe", fs::copy_options::overwrite_existing);

  struct Case {
    const char* what;
    fs::path program;
    const wchar_t* argument;
    bool loaded;
  } cases[] = {
      {"unlimited, from the current folder", probe, L"unlimited", true},  // what the limit is for
      {"limited, from the current folder", probe, L"limited", false},
      {"limited, from the program's folder", installed / L"probe.exe", L"limited", true},
  };
  for (const Case& c : cases) {
    DeleteTree(HKEY_CURRENT_USER, kPlantedLibraryKey);
    DWORD code = RunIn(c.program, c.argument, current);
    std::optional<std::wstring> loader = ReadString(HKEY_CURRENT_USER, kPlantedLibraryKey, kPlantedLibraryValue);
    EXPECT_EQ(code, c.loaded ? 0u : 1u) << c.what;
    EXPECT_EQ(loader.has_value(), c.loaded) << c.what << ": loaded by " << Narrow(loader.value_or(L"none"));
  }
  DeleteTree(HKEY_CURRENT_USER, kPlantedLibraryKey);
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace lullan::test
