// A program that limits its library search (as every shipped program does on
// its first line) never loads a library planted in its current folder, and
// still loads the one beside it (logoff.exe /install loads quitcom.dll from
// its own folder by name).
#include <gtest/gtest.h>

#include "build_paths.h"
#include "handles.h"
#include "planted_library.h"
#include "registry_fixture.h"
#include "text_format.h"

namespace lullan::test {
namespace {

// A folder of the test's own under %TEMP%, removed with what went into it.
class Folder {
 public:
  explicit Folder(const wchar_t* label) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(ARRAYSIZE(temp), temp);
    path_ = FormatText(L"%s%s-%lu", temp, label, ::GetCurrentProcessId());
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~Folder() {
    for (const std::wstring& file : files_) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(path_.c_str());
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring Put(const std::wstring& file, const wchar_t* name) {
    std::wstring copy = path_ + L"\\" + name;
    EXPECT_TRUE(::CopyFileW(file.c_str(), copy.c_str(), FALSE)) << Narrow(file) << ": error " << ::GetLastError();
    files_.push_back(copy);
    return copy;
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

// Runs `program` with `argument` in `folder`; its exit code.
DWORD RunIn(const std::wstring& program, const wchar_t* argument, const std::wstring& folder) {
  std::wstring commandLine = FormatText(L"\"%s\" %s", program.c_str(), argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &started)) {
    ADD_FAILURE() << "cannot start " << Narrow(program) << ": error " << ::GetLastError();
    return MAXDWORD;
  }
  unique_handle thread(started.hThread);
  unique_handle process(started.hProcess);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
  DWORD code = MAXDWORD;
  ::GetExitCodeProcess(process.get(), &code);
  return code;
}

TEST(DllSearch, ALibraryPlantedInTheCurrentFolderIsNeverLoadedOneBesideTheProgramIs) {
  const std::wstring probe = WindowsPathOf(DLL_SEARCH_PROBE);
  const std::wstring planted = WindowsPathOf(PLANTED_LIBRARY);
  Folder current(L"lullan-current-folder");
  current.Put(planted, L"quitcom.dll");
  Folder installed(L"lullan-program-folder");
  const std::wstring besidePlanted = installed.Put(probe, L"probe.exe");
  installed.Put(planted, L"quitcom.dll");

  struct Case {
    const wchar_t* what;
    std::wstring program;
    const wchar_t* argument;
    bool loaded;
  } cases[] = {
      {L"unlimited, from the current folder", probe, L"unlimited", true},  // what the limit is for
      {L"limited, from the current folder", probe, L"limited", false},
      {L"limited, from the program's folder", besidePlanted, L"limited", true},
  };
  for (const Case& c : cases) {
    DeleteTree(HKEY_CURRENT_USER, kPlantedLibraryKey);
    DWORD code = RunIn(c.program, c.argument, current.path());
    std::optional<std::wstring> loader = ReadString(HKEY_CURRENT_USER, kPlantedLibraryKey, kPlantedLibraryValue);
    EXPECT_EQ(code, c.loaded ? 0u : 1u) << Narrow(c.what);
    EXPECT_EQ(loader.has_value(), c.loaded) << Narrow(c.what) << ": loaded by " << Narrow(loader.value_or(L"none"));
  }
  DeleteTree(HKEY_CURRENT_USER, kPlantedLibraryKey);
}

}  // namespace
}  // namespace lullan::test
