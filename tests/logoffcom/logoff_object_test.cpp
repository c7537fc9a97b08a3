// The logoff object and its class factory, in both components, made in this
// process with the system exit recorded.
#include <gtest/gtest.h>
#include <olectl.h>

#include <vector>

#include "com_ptr.h"
#include "fake_platform.h"
#include "logoff_class_factory.h"
#include "quitcom_component.h"
#include "quitsrv_component.h"

namespace lullan::test {
namespace {

template <typename Component>
com_ptr<typename Component::Interface> NewObject() {
  com_ptr<IClassFactory> factory(new LogoffClassFactory<Component>());
  com_ptr<typename Component::Interface> object;
  EXPECT_EQ(factory->CreateInstance(nullptr, Component::InterfaceId(), object.put_void()), S_OK);
  return object;
}

std::vector<UINT> Flags(const RecordingSystemExit& exits) {
  std::vector<UINT> flags;
  for (const auto& call : exits.calls) {
    EXPECT_EQ(call.reason, 0u) << "ExitWindowsEx's second argument";
    flags.push_back(call.flags);
  }
  return flags;
}

template <typename Component>
class LogoffObjectTest : public testing::Test {
 protected:
  LogoffObjectTest() { scope_.Use(exits_); }
  RecordingSystemExit exits_;

 private:
  ScopedPlatform scope_;
};

using Components = testing::Types<QuitcomComponent, QuitsrvComponent>;
TYPED_TEST_SUITE(LogoffObjectTest, Components);

TYPED_TEST(LogoffObjectTest, NewObjectsLogOffShutDownAndRebootForced) {
  EXPECT_EQ(NewObject<TypeParam>()->Logoff(), S_OK);
  EXPECT_EQ(NewObject<TypeParam>()->Shutdown(), S_OK);
  EXPECT_EQ(NewObject<TypeParam>()->Reboot(), S_OK);
  EXPECT_EQ(Flags(this->exits_), (std::vector<UINT>{EWX_FORCE, EWX_FORCE | EWX_SHUTDOWN, EWX_FORCE | EWX_REBOOT}));
}

TYPED_TEST(LogoffObjectTest, ShutdownAndRebootBitsStayOnTheObject) {
  auto object = NewObject<TypeParam>();
  object->Shutdown();
  object->Logoff();  // a logoff after a shutdown shuts down too
  object->Reboot();
  EXPECT_EQ(Flags(this->exits_), (std::vector<UINT>{5, 5, 7}));
}

TYPED_TEST(LogoffObjectTest, AFailingExitCallGivesEFail) {
  this->exits_.exitResult = FALSE;
  auto object = NewObject<TypeParam>();
  EXPECT_EQ(object->Logoff(), E_FAIL);
  EXPECT_EQ(object->Shutdown(), E_FAIL);
  EXPECT_EQ(object->Reboot(), E_FAIL);
}

TYPED_TEST(LogoffObjectTest, AMissingPrivilegeDoesNotStopTheCall) {
  this->exits_.privilegeResult = false;
  EXPECT_EQ(NewObject<TypeParam>()->Shutdown(), S_OK);
  EXPECT_EQ(this->exits_.privilegeRequests, 1);
  EXPECT_EQ(Flags(this->exits_), std::vector<UINT>{5});
}

TYPED_TEST(LogoffObjectTest, HandsOutOnlyItsOwnInterface) {
  auto object = NewObject<TypeParam>();
  com_ptr<IUnknown> unknown;
  EXPECT_EQ(object.query(IID_IUnknown, unknown), S_OK);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(object->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  const IID& foreign = IsEqualIID(TypeParam::InterfaceId(), IID_ILogoff) ? IID_ILogoffEx : IID_ILogoff;
  EXPECT_EQ(object->QueryInterface(foreign, &other), E_NOINTERFACE);
  EXPECT_EQ(object->AddRef(), 3u);  // ours, the IUnknown, this one
  EXPECT_EQ(object->Release(), 2u);
}

TYPED_TEST(LogoffObjectTest, TheFactoryRefusesAggregation) {
  com_ptr<IClassFactory> factory(new LogoffClassFactory<TypeParam>());
  com_ptr<IUnknown> outer;
  NewObject<TypeParam>().query(IID_IUnknown, outer);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  com_ptr<IUnknown> unknown;
  EXPECT_EQ(factory.query(IID_IUnknown, unknown), S_OK);
  EXPECT_EQ(factory->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);
}

TEST(QuitcomLogoffObject, EnablesThePrivilegeBeforeEveryOperation) {
  RecordingSystemExit exits;
  ScopedPlatform scope;
  scope.Use(exits);
  auto object = NewObject<QuitcomComponent>();
  object->Logoff();
  object->Shutdown();
  object->Reboot();
  EXPECT_EQ(exits.privilegeRequests, 3);
}

TEST(QuitsrvLogoffObject, LogsOffWithoutThePrivilegeStep) {
  RecordingSystemExit exits;
  ScopedPlatform scope;
  scope.Use(exits);
  auto object = NewObject<QuitsrvComponent>();
  object->Logoff();
  EXPECT_EQ(exits.privilegeRequests, 0);
  object->Shutdown();
  EXPECT_EQ(exits.privilegeRequests, 1);
}

TEST(QuitsrvLogoffObject, IdleMinsFailsAndLeavesTheCallersVariable) {
  auto object = NewObject<QuitsrvComponent>();
  int minutes = 42;
  EXPECT_EQ(object->IdleMins(&minutes), E_FAIL);
  EXPECT_EQ(minutes, 42);
}

TEST(QuitsrvLogoffObject, TheFirstObjectReleasedSignalsTheStopEvent) {
  ASSERT_TRUE(CreateStopEvent());
  com_ptr<IClassFactory> factory(new LogoffClassFactory<QuitsrvComponent>());
  com_ptr<ILogoffEx> first;
  com_ptr<ILogoffEx> second;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_ILogoffEx, first.put_void()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_ILogoffEx, second.put_void()), S_OK);
  EXPECT_EQ(QuitsrvObjectCount(), 2);
  factory->LockServer(TRUE);
  EXPECT_EQ(QuitsrvLockCount(), 1);
  factory.reset();
  EXPECT_EQ(::WaitForSingleObject(StopEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "released the factory";
  first.reset();  // whatever other objects or locks remain
  EXPECT_EQ(::WaitForSingleObject(StopEvent(), 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "released the first object";
  EXPECT_EQ(QuitsrvObjectCount(), 1);
}

TEST(QuitsrvLogoffObject, AnInterfaceTheObjectLacksDestroysItAndSignalsTheStopEvent) {
  ASSERT_TRUE(CreateStopEvent());
  com_ptr<IClassFactory> factory(new LogoffClassFactory<QuitsrvComponent>());
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(QuitsrvObjectCount(), 0);
  EXPECT_EQ(::WaitForSingleObject(StopEvent(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(QuitcomExports, HandOutTheFactoryOnlyForFCLogoff) {
  void* factory = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(CLSID_FCLogoffEx, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);
  com_ptr<IClassFactory> real;
  EXPECT_EQ(DllGetClassObject(CLSID_FCLogoff, IID_IClassFactory, real.put_void()), S_OK);
  EXPECT_EQ(DllGetClassObject(CLSID_FCLogoff, IID_IDispatch, &factory), E_NOINTERFACE);
}

TEST(QuitcomExports, TheLibraryStaysWhileAnObjectOrALockLives) {
  com_ptr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(CLSID_FCLogoff, IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  com_ptr<ILogoff> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_ILogoff, object.put_void()), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "an object lives";
  com_ptr<IUnknown> second;
  object.query(IID_IUnknown, second);
  object.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "the object still has a reference";
  second.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "after the last Release";
  factory->LockServer(TRUE);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "locked";
  factory->LockServer(FALSE);
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "unlocked";
}

}  // namespace
}  // namespace lullan::test
