// Where the build put the programs under test, as Windows paths (the build
// tree is reached through drive Z:, Wine's view of the Unix root).
#pragma once

#include <string>
#include <vector>

namespace lullan::test {

// The shipped quitcom.dll, quitsrv.exe and logoff.exe.
std::wstring ProductFile(const wchar_t* name);
// The test builds of quitcom.dll and quitsrv.exe, which record their exit calls.
// Tests register only these, never the shipped ones: a shipped component
// registered while a test calls in would end the session, and with it the run.
std::wstring RecordingFile(const wchar_t* name);
// The folder of ProductFile or RecordingFile.
std::wstring ProductFolder();
std::wstring RecordingFolder();

// A folder of the test's own under %TEMP%, removed with the files copied
// into it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const wchar_t* label);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  // Copies a file in under its own name; returns the copy's path, empty on failure.
  std::wstring Copy(const std::wstring& file);

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

}  // namespace lullan::test
