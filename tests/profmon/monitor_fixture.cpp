#include "monitor_fixture.h"

#include <fstream>
#include <sstream>

#include "handles.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "profile_sync.h"
#include "product.h"
#include "registry_fixture.h"
#include "text_format.h"

namespace lullan::test {

namespace {
// The folder with its files and the folders in it.
void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  unique_find search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  for (bool more = static_cast<bool>(search); more; more = ::FindNextFileW(search.get(), &found)) {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveFolder(folder + L"\\" + name);
    } else {
      ::DeleteFileW((folder + L"\\" + name).c_str());
    }
  }
  search.reset();
  ::RemoveDirectoryW(folder.c_str());
}
}  // namespace

MonitorTest::MonitorTest() : versionKey(VersionKeyPath()) {
  platform_.Use(machines).Use(clock).Use(events);
  server = machines.AddMachine(L"PROFSRV");
  DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);

  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  static int counter = 0;
  logFolder = FormatText(L"%slullan-monitor-%lu-%d", temp, ::GetCurrentProcessId(), ++counter);
  RemoveFolder(logFolder);
  ::CreateDirectoryW(logFolder.c_str(), nullptr);
  Restart();
}

void MonitorTest::Restart() {
  profmon::Log().Reset();
  profmon::Monitor() = profmon::MonitorState{};
  profmon::Monitor().configKeyPath = versionKey;
}

MonitorTest::~MonitorTest() {
  profmon::Log().Reset();
  profmon::Monitor() = profmon::MonitorState{};
  DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
  RemoveFolder(logFolder);
}

void MonitorTest::Cycles(int count) {
  for (int i = 0; i < count; ++i) profmon::GetRegParams();
}

void MonitorTest::SetLocal(const wchar_t* name, const std::wstring& text) {
  WriteString(HKEY_LOCAL_MACHINE, versionKey, name, text);
}
void MonitorTest::SetLocal(const wchar_t* name, DWORD number) {
  WriteDword(HKEY_LOCAL_MACHINE, versionKey, name, number);
}

std::wstring MonitorTest::ServerProfilePath(const std::wstring& name) const { return ProfileKeyPath(name); }

void MonitorTest::SetProfile(const std::wstring& profile, const wchar_t* name, const std::wstring& text) {
  WriteString(server, ServerProfilePath(profile), name, text);
}
void MonitorTest::SetProfile(const std::wstring& profile, const wchar_t* name, DWORD number) {
  WriteDword(server, ServerProfilePath(profile), name, number);
}

void MonitorTest::Assign(const std::wstring& profile, const std::wstring& serverName, DWORD localStamp) {
  SetLocal(L"LogDir", logFolder);
  SetLocal(L"Profile", profile);
  SetLocal(L"PLS", serverName);
  SetLocal(L"ProfileLastChanged", localStamp);
}

std::string MonitorTest::LogText() const {
  std::ifstream file(Narrow(profmon::MonitorLog::FileName(logFolder.c_str())), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

int MonitorTest::Count(const std::string& text, const std::string& what) const {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace lullan::test
