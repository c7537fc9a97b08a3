// The recorded remote logoff object: the console's Logoff, Shutdown and
// Reboot trust it to create, refuse and count as DCOM does.
#include <gtest/gtest.h>

#include "com_ptr.h"
#include "fake_platform.h"
#include "quitsrv.h"
#include "recording_remote_logoff.h"

namespace lullan::test {
namespace {

class RecordingRemoteLogoffTest : public testing::Test {
 protected:
  RecordingRemoteLogoffTest() { scope_.Use(logoff); }

  // CoCreateInstanceEx as the console calls it, for one interface.
  HRESULT Create(const wchar_t* machine, REFIID iid, com_ptr<IUnknown>& object, HRESULT* interfaceResult = nullptr,
                 REFCLSID clsid = CLSID_FCLogoffEx) {
    COAUTHINFO auth{RPC_C_AUTHN_NONE, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_NONE, RPC_C_IMP_LEVEL_IMPERSONATE,
                    nullptr,          EOAC_NONE};
    COSERVERINFO server{0, const_cast<LPWSTR>(machine), &auth, 0};
    MULTI_QI query{&iid, nullptr, E_UNEXPECTED};
    HRESULT result =
        platform().remoteLogoff->CreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, &server, 1, &query);
    object = com_ptr<IUnknown>(query.pItf);
    if (interfaceResult) *interfaceResult = query.hr;
    return result;
  }

  RecordingRemoteLogoff logoff;

 private:
  ScopedPlatform scope_;
};

TEST_F(RecordingRemoteLogoffTest, HandsOutCountedObjectsThatRecordEachCall) {
  logoff.On(L"PC-017").Answers(LogoffMethod::Shutdown, E_FAIL).IdleMinutes(17);
  com_ptr<IUnknown> unknown;
  ASSERT_EQ(Create(L"PC-017", IID_IUnknown, unknown), S_OK);
  EXPECT_EQ(logoff.LiveObjects(), 1);

  com_ptr<ILogoffEx> remote;
  ASSERT_EQ(unknown.query(IID_ILogoffEx, remote), S_OK);
  com_ptr<IDispatch> dispatch;
  EXPECT_EQ(unknown.query(IID_IDispatch, dispatch), E_NOINTERFACE);
  EXPECT_FALSE(dispatch);
  unknown.reset();
  EXPECT_EQ(logoff.LiveObjects(), 1) << "the ILogoffEx reference keeps the object";

  EXPECT_EQ(remote->Shutdown(), E_FAIL);
  EXPECT_EQ(remote->Logoff(), S_OK);
  int minutes = 0;
  EXPECT_EQ(remote->IdleMins(&minutes), S_OK);
  EXPECT_EQ(minutes, 17);
  remote.reset();
  EXPECT_EQ(logoff.LiveObjects(), 0);

  const auto calls = logoff.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].machine, L"PC-017");
  EXPECT_EQ(calls[0].method, LogoffMethod::Shutdown);
  EXPECT_EQ(calls[1].method, LogoffMethod::Logoff);

  const auto creations = logoff.Creations();
  ASSERT_EQ(creations.size(), 1u);
  EXPECT_EQ(creations[0].server, L"PC-017");
  EXPECT_EQ(creations[0].context, static_cast<DWORD>(CLSCTX_REMOTE_SERVER));
  ASSERT_TRUE(creations[0].auth.has_value());
  EXPECT_EQ(creations[0].auth->authnLevel, static_cast<DWORD>(RPC_C_AUTHN_LEVEL_NONE));
  EXPECT_EQ(creations[0].auth->impersonationLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IMPERSONATE));
  EXPECT_FALSE(creations[0].auth->hasIdentity);
}

TEST_F(RecordingRemoteLogoffTest, FailsAsCoCreateInstanceExFails) {
  logoff.On(L"PC-018").CreateFails(E_ACCESSDENIED);
  logoff.On(L"PC-019").WithoutLogoffEx();
  struct Case {
    const wchar_t* machine;
    const IID& iid;
    const CLSID& clsid;
    HRESULT result;
    HRESULT interfaceResult;
  };
  for (const Case& c : {Case{L"PC-018", IID_IUnknown, CLSID_FCLogoffEx, E_ACCESSDENIED, E_ACCESSDENIED},
                        Case{L"PC-019", IID_ILogoffEx, CLSID_FCLogoffEx, E_NOINTERFACE, E_NOINTERFACE},
                        Case{L"PC-017", IID_IUnknown, CLSID_NULL, REGDB_E_CLASSNOTREG, REGDB_E_CLASSNOTREG}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.machine)));
    com_ptr<IUnknown> object;
    HRESULT interfaceResult = S_OK;
    EXPECT_EQ(Create(c.machine, c.iid, object, &interfaceResult, c.clsid), c.result);
    EXPECT_EQ(interfaceResult, c.interfaceResult);
    EXPECT_FALSE(object);
  }

  // The object without ILogoffEx still answers IUnknown, and refuses after that.
  com_ptr<IUnknown> unknown;
  ASSERT_EQ(Create(L"\\\\pc-019", IID_IUnknown, unknown), S_OK);
  com_ptr<ILogoffEx> remote;
  EXPECT_EQ(unknown.query(IID_ILogoffEx, remote), E_NOINTERFACE);
  unknown.reset();
  EXPECT_EQ(logoff.LiveObjects(), 0);
  EXPECT_TRUE(logoff.Calls().empty());
}

}  // namespace
}  // namespace lullan::test
