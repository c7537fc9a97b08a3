// FCLogoffEx reached through COM in its own process, as the console reaches
// it on a workstation. The test build of quitsrv.exe is registered under the
// class's CLSID, so the exit calls are recorded instead of ending the session.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <optional>
#include <vector>

#include "built_files.h"
#include "com_ptr.h"
#include "component_registry.h"
#include "handles.h"
#include "planted_program.h"
#include "quitsrv.h"
#include "quitsrv_registry.h"
#include "recorded_exit.h"
#include "registry_fixture.h"
#include "text_format.h"
#include "window_driver.h"

namespace lullan::test {
namespace {

std::vector<DWORD> ServerProcesses() {
  std::vector<DWORD> ids;
  unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    if (::lstrcmpiW(entry.szExeFile, L"quitsrv.exe") == 0) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

bool ServersEndWithin(DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    if (ServerProcesses().empty()) return true;
    ::Sleep(100);
  }
  return ServerProcesses().empty();
}

// A server that failed to end would stand in the way of every later test.
void EndServersByForce() {
  for (DWORD id : ServerProcesses()) {
    unique_handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) continue;
    ::TerminateProcess(process.get(), 0xDEAD);
    ::WaitForSingleObject(process.get(), 5000);
  }
}

// Calls into a server that has gone fail in the RPC layer (RPC_E_*, or RPC_S_* as a Win32 code).
bool IsRpcFailure(HRESULT result) {
  if (SUCCEEDED(result)) return false;
  if (HRESULT_FACILITY(result) == FACILITY_RPC) return true;
  return HRESULT_FACILITY(result) == FACILITY_WIN32 && HRESULT_CODE(result) >= 1700 && HRESULT_CODE(result) < 1800;
}

// A copy of the planted program at `path` for the life of the object, and
// no record of an earlier run.
class PlantedProgram {
 public:
  explicit PlantedProgram(const std::wstring& path) : path_(path) {
    DeleteTree(HKEY_CURRENT_USER, kPlantedProgramKey);
    planted_ = ::CopyFileW(RecordingFile(L"planted_program.exe").c_str(), path.c_str(), FALSE) != FALSE;
  }
  ~PlantedProgram() {
    ::DeleteFileW(path_.c_str());
    DeleteTree(HKEY_CURRENT_USER, kPlantedProgramKey);
  }
  PlantedProgram(const PlantedProgram&) = delete;
  PlantedProgram& operator=(const PlantedProgram&) = delete;

  bool planted() const { return planted_; }
  // The command line it was started with, if anything started it.
  std::optional<std::wstring> StartedAs() const {
    return ReadString(HKEY_CURRENT_USER, kPlantedProgramKey, kPlantedProgramValue);
  }

 private:
  std::wstring path_;
  bool planted_ = false;
};

class QuitsrvServerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ServersEndWithin(10000)) << "a server of an earlier test is still running";
    RemoveQuitsrvRegistration();
    ChildRun registration = RunAndAnswer(RecordingFile(L"quitsrv.exe"), L"-RegServer");
    ASSERT_TRUE(registration.finished && registration.exitCode == 0) << Narrow(registration.Describe());
    ClearRecordedExits();
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  }
  void TearDown() override {
    if (!ServersEndWithin(10000)) {
      ADD_FAILURE() << "the server outlived the test";
      EndServersByForce();
    }
    ::CoUninitialize();
    RemoveQuitsrvRegistration();
    ClearRecordedExits();
  }

  static HRESULT Create(REFIID iid, void** out) {
    return ::CoCreateInstance(CLSID_FCLogoffEx, nullptr, CLSCTX_LOCAL_SERVER, iid, out);
  }
};

TEST_F(QuitsrvServerTest, CallsArriveWithTheirFlagsAndTheReleaseEndsTheServer) {
  com_ptr<ILogoffEx> object;
  ASSERT_EQ(Create(IID_ILogoffEx, object.put_void()), S_OK);
  EXPECT_EQ(ServerProcesses().size(), 1u);
  EXPECT_EQ(object->Shutdown(), S_OK);
  EXPECT_EQ(object->Logoff(), S_OK);
  EXPECT_EQ(object->Reboot(), S_OK);
  int minutes = 0;
  EXPECT_EQ(object->IdleMins(&minutes), E_FAIL);
  EXPECT_EQ(RecordedExitFlags(), (std::vector<DWORD>{5, 5, 7}));
  EXPECT_EQ(RecordedPrivilegeRequests(), 2u) << "Shutdown and Reboot enable the privilege, Logoff doesn't";

  object.reset();
  EXPECT_TRUE(ServersEndWithin(10000)) << "the server is still running after its object was released";
}

TEST_F(QuitsrvServerTest, AFailingExitCallReachesTheCallerAsEFail) {
  ScriptExitResult(FALSE);
  com_ptr<ILogoffEx> object;
  ASSERT_EQ(Create(IID_ILogoffEx, object.put_void()), S_OK);
  EXPECT_EQ(object->Logoff(), E_FAIL);
  EXPECT_EQ(RecordedExitFlags(), std::vector<DWORD>{4});
}

TEST_F(QuitsrvServerTest, TheFirstReleaseEndsTheServerUnderASecondCaller) {
  com_ptr<ILogoffEx> first;
  com_ptr<ILogoffEx> second;
  ASSERT_EQ(Create(IID_ILogoffEx, first.put_void()), S_OK);
  ASSERT_EQ(Create(IID_ILogoffEx, second.put_void()), S_OK);
  EXPECT_EQ(ServerProcesses().size(), 1u) << "one server serves both callers";

  first.reset();
  ASSERT_TRUE(ServersEndWithin(10000));
  HRESULT result = second->Logoff();
  EXPECT_TRUE(IsRpcFailure(result)) << "0x" << std::hex << result;
  EXPECT_TRUE(RecordedExitFlags().empty());
}

TEST_F(QuitsrvServerTest, AskingForAnInterfaceTheObjectLacksEndsTheServer) {
  com_ptr<IDispatch> object;
  EXPECT_EQ(Create(IID_IDispatch, object.put_void()), E_NOINTERFACE);
  EXPECT_TRUE(ServersEndWithin(10000));
}

// With the product in "C:\Program Files\Lullan", a "C:\Program.exe" must not
// run in the server's place, as the interactive user, on every remote logoff.
TEST_F(QuitsrvServerTest, RegisteredFromAFolderWithABlankTheServerItselfIsStarted) {
  ScratchFolder folder(L"lul test");
  const std::wstring server = folder.Copy(RecordingFile(L"quitsrv.exe"));
  ASSERT_FALSE(server.empty());
  PlantedProgram planted(server.substr(0, server.find(L' ')) + L".exe");
  ASSERT_TRUE(planted.planted());
  ChildRun registration = RunAndAnswer(server, L"-RegServer");
  ASSERT_TRUE(registration.finished && registration.exitCode == 0) << Narrow(registration.Describe());
  // COM runs the value as a command line, "-Embedding" appended.
  EXPECT_EQ(ComparablePath(ReadString(HKEY_CLASSES_ROOT, std::wstring(kFCLogoffExKey) + L"\\LocalServer32", nullptr)
                               .value_or(L"(missing)")),
            ComparablePath(L"\"" + server + L"\""));

  com_ptr<ILogoffEx> object;
  HRESULT created = Create(IID_ILogoffEx, object.put_void());
  EXPECT_EQ(planted.StartedAs().value_or(L"(not started)"), L"(not started)");
  ASSERT_EQ(created, S_OK) << "0x" << std::hex << created;
  EXPECT_EQ(object->Logoff(), S_OK);
  EXPECT_EQ(RecordedExitFlags(), std::vector<DWORD>{4});
  object.reset();
  // The server runs from the folder, which goes when the test ends.
  EXPECT_TRUE(ServersEndWithin(10000));

  ChildRun unregistration = RunAndAnswer(server, L"-UnregServer");
  EXPECT_TRUE(unregistration.finished && unregistration.exitCode == 0) << Narrow(unregistration.Describe());
  for (const wchar_t* tree : {kFCLogoffExKey, L"FenComOpc.Logoff", kFCLogoffExAppIdKey, kQuitsrvTypeLibKey})
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, tree)) << "HKCR\\" << tree;
}

}  // namespace
}  // namespace lullan::test
