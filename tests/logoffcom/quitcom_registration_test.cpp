// quitcom.dll registering and unregistering itself, called as the setup
// program calls it: loaded by path, its exports looked up by name. The test
// build (the same code around a recording system exit) stands in for the
// shipped library, which must never be registered while tests call FCLogoff.
#include <gtest/gtest.h>

#include "built_files.h"
#include "com_apartment.h"
#include "com_ptr.h"
#include "handles.h"
#include "quitcom_interface.h"
#include "quitcom_registry.h"
#include "registry_fixture.h"

namespace lullan::test {
namespace {

using Export = HRESULT(STDAPICALLTYPE*)();

class QuitcomRegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveQuitcomRegistration();
    library_.reset(::LoadLibraryW(RecordingFile(L"quitcom.dll").c_str()));
    ASSERT_TRUE(library_) << "error " << ::GetLastError();
  }
  void TearDown() override { RemoveQuitcomRegistration(); }

  HRESULT Call(const char* name) {
    auto found = reinterpret_cast<Export>(reinterpret_cast<void (*)()>(::GetProcAddress(library_.get(), name)));
    return found ? found() : E_POINTER;
  }

  unique_library library_;
};

TEST_F(QuitcomRegistrationTest, RegisterWritesTheClassProgIdsAppIdAndTypeLibrary) {
  ASSERT_EQ(Call("DllRegisterServer"), S_OK);
  ExpectQuitcomRegistered(RecordingFile(L"quitcom.dll"));
  ASSERT_EQ(Call("DllRegisterServer"), S_OK) << "registering again";
  ExpectQuitcomRegistered(RecordingFile(L"quitcom.dll"));
}

TEST_F(QuitcomRegistrationTest, UnregisterRemovesTheTreesWholeAndASecondCallChangesNothing) {
  ASSERT_EQ(Call("DllRegisterServer"), S_OK);
  // Someone else's additions under a ProgID go with it.
  WriteString(HKEY_CLASSES_ROOT, L"FenCom.Logoff.1\\shell\\open\\command", nullptr, L"notepad");
  WriteString(HKEY_CLASSES_ROOT,
              std::wstring(kFCLogoffKey) + L"\\Implemented Categories\\{00000000-0000-0000-0000-000000000001}", nullptr,
              L"");

  EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
  for (const wchar_t* tree :
       {kFCLogoffKey, L"FenCom.Logoff", L"FenCom.Logoff.1", kFCLogoffAppIdKey, kQuitcomTypeLibKey})
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, tree)) << "HKCR\\" << tree;

  // The type library is gone now; the second call stops at it.
  WriteString(HKEY_CLASSES_ROOT, kFCLogoffKey, nullptr, L"someone else's");
  HRESULT second = Call("DllUnregisterServer");
  EXPECT_TRUE(FAILED(second)) << std::hex << second;
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kFCLogoffKey, nullptr).value_or(L"(missing)"), L"someone else's");
}

// COM loads a library by its path as it stands: unlike a program's command
// line, it must not be quoted, blank or not.
TEST(QuitcomFromAFolderWithABlank, RegistersItsPathAsItStandsAndIsCreatedInProcess) {
  ScratchFolder folder(L"lul test");
  const std::wstring copy = folder.Copy(RecordingFile(L"quitcom.dll"));
  ASSERT_FALSE(copy.empty());
  RemoveQuitcomRegistration();
  {
    unique_library library(::LoadLibraryW(copy.c_str()));
    ASSERT_TRUE(library) << "error " << ::GetLastError();
    auto call = [&](const char* name) {
      auto found = reinterpret_cast<Export>(reinterpret_cast<void (*)()>(::GetProcAddress(library.get(), name)));
      return found ? found() : E_POINTER;
    };
    ASSERT_EQ(call("DllRegisterServer"), S_OK);
    ExpectQuitcomRegistered(copy);
    {
      ComApartment apartment;
      com_ptr<ILogoff> object;
      EXPECT_EQ(::CoCreateInstance(CLSID_FCLogoff, nullptr, CLSCTX_INPROC_SERVER, IID_ILogoff, object.put_void()),
                S_OK);
    }
    EXPECT_EQ(call("DllUnregisterServer"), S_OK);
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFCLogoffKey));
  RemoveQuitcomRegistration();
}

}  // namespace
}  // namespace lullan::test
