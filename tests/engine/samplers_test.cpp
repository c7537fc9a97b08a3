// What the engine samples: the network's traffic, the programs' processor
// use, and in the agent the user's input, the lock and which samples go to
// the service.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "fake_platform.h"
#include "input_sampler.h"
#include "network_sampler.h"
#include "processor_sampler.h"

namespace lullan::engine {
namespace {

using Counters = NetworkRate::Counters;

TEST(NetworkRate, AveragesTheLastMinuteAcrossCounterWrapsAndInterfacesThatComeAndGo) {
  NetworkRate rate;
  rate.Add(0, std::vector<Counters>{{1, 1000, 1000}});
  EXPECT_EQ(rate.BytesPerSecond(), std::nullopt) << "one sample tells no rate";
  rate.Add(10000, std::vector<Counters>{{1, 6000, 1000}});
  EXPECT_EQ(rate.BytesPerSecond(), std::optional<DWORD>(500));
  // Interface 1's counter wraps; interface 2 appears and counts from its next sample.
  rate.Add(20000, std::vector<Counters>{{1, 4000, 1000}, {2, 0xFFFFFF00u, 0}});
  EXPECT_EQ(rate.BytesPerSecond(), std::optional<DWORD>((5000 + 0x100000000ull - 6000 + 4000) * 1000 / 20000));
  rate.Add(30000, std::vector<Counters>{{1, 4000, 1000}, {2, 0x00000100u, 0}});  // interface 2 wrapped: 512 bytes
  rate.Add(40000, std::vector<Counters>{{2, 0x00000100u, 0}});                   // interface 1 gone
  rate.Add(70000, std::vector<Counters>{{2, 0x00000100u + 3000, 0}});
  rate.Add(100000, std::vector<Counters>{{2, 0x00000100u + 9000, 0}});
  EXPECT_EQ(rate.BytesPerSecond(), std::optional<DWORD>(9000 * 1000 / 60000))
      << "only the last minute counts: the burst and the wrap are over";
}

TEST(NetworkSampler, ReadsThisMachinesInterfaces) {
  NetworkSampler sampler;
  ASSERT_TRUE(sampler.Sample(0)) << "GetIfTable failed";
  ::Sleep(50);
  ASSERT_TRUE(sampler.Sample(1500));
  EXPECT_TRUE(sampler.BytesPerSecond().has_value());
}

TEST(ProcessorSampler, FindsTheSessionOfAProgramThatKeepsTheProcessorBusy) {
  test::FakeSessions sessions;
  sessions.PlaceProcess(::GetCurrentProcessId(), 7);
  sessions.SetDefaultSession(3);
  test::ScopedPlatform scope;
  scope.Use(sessions);
  EngineConfig config;
  ProcessorSampler sampler;
  EXPECT_TRUE(sampler.Sample(config, 0, {}).empty()) << "the first look only takes note";

  std::atomic<bool> spinning{true};
  std::thread busy([&] {
    while (spinning) {
    }
  });
  ::Sleep(1000);
  std::set<DWORD> found = sampler.Sample(config, 1000, {});
  // Excluded, the same work is no activity.
  ::Sleep(1000);
  config.excludeFiles = {L"engine_tests.exe"};
  std::set<DWORD> excluded = sampler.Sample(config, 2000, {});
  ::Sleep(1000);
  config.excludeFiles.clear();
  std::set<DWORD> ignored = sampler.Sample(config, 3000, {::GetCurrentProcessId()});
  spinning = false;
  busy.join();
  EXPECT_EQ(found.count(7), 1u) << "this test's spinning thread, in session 7";
  EXPECT_EQ(excluded.count(7), 0u);
  EXPECT_EQ(ignored.count(7), 0u) << "the engine's own processes are left out";
}

Sample Idle(DWORD input, DWORD key, bool locked = false) { return Sample{input, key, locked, false}; }

TEST(SampleGate, SendsWhatTheServiceNeedsAndLittleElse) {
  SampleGate gate;
  auto send = [&](const Sample& sample, DWORD tick) {
    bool sent = gate.ShouldSend(sample, tick);
    if (sent) gate.Sent(sample, tick);
    return sent;
  };
  EXPECT_TRUE(send(Idle(5000, 5000), 100000)) << "the first sample";
  EXPECT_FALSE(send(Idle(6000, 6000), 101000)) << "nothing new";
  EXPECT_TRUE(send(Idle(7000, 7000, true), 102000)) << "locked: at once";
  EXPECT_TRUE(send(Idle(100, 100, true), 110000)) << "input after a quiet spell: at once";
  // The user keeps working: one sample in ten seconds.
  EXPECT_FALSE(send(Idle(200, 200, true), 111000));
  EXPECT_FALSE(send(Idle(300, 300, true), 112000));
  EXPECT_TRUE(send(Idle(50, 50, true), 120000)) << "ten seconds on";
  EXPECT_FALSE(send(Idle(100, 100, true), 121000));
  // The user stops: the last input goes, so the idle period starts when it really did.
  EXPECT_TRUE(send(Idle(1100, 1100, true), 122000)) << "the input stopped";
  EXPECT_FALSE(send(Idle(2100, 2100, true), 123000));
  // Mouse movement alone is new input of one kind.
  EXPECT_TRUE(send(Idle(100, 19100, true), 140000));
}

// Input injected with SendInput, which Wine's hooks see as a user's; the
// messages pumped meanwhile, as the agent's loop does.
void Pump(DWORD ms) {
  for (DWORD end = ::GetTickCount() + ms; static_cast<LONG>(end - ::GetTickCount()) > 0;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void PressShift() {
  INPUT key[2] = {};
  key[0].type = key[1].type = INPUT_KEYBOARD;
  key[0].ki.wVk = key[1].ki.wVk = VK_SHIFT;
  key[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(::SendInput(2, key, sizeof(INPUT)), 2u);
}

void MoveMouse(LONG by) {
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = by;
  move.mi.dy = by;
  move.mi.dwFlags = MOUSEEVENTF_MOVE;
  ASSERT_EQ(::SendInput(1, &move, sizeof move), 1u);
}

// With its hooks, the agent tells keys apart from mouse movement; without
// them (input to an elevated program, which no hook of the user's sees, or
// hooks that could not be installed) the pointer tells: input that leaves it
// where it was is a key.
TEST(InputSampler, KeysCountAsKeyInputAndMouseMovementOnlyAsInput) {
  for (InputSampler::Hooks hooks : {InputSampler::Hooks::kInstall, InputSampler::Hooks::kNone}) {
    SCOPED_TRACE(hooks == InputSampler::Hooks::kInstall ? "with hooks" : "without hooks");
    InputSampler sampler(hooks);
    ASSERT_EQ(sampler.hooked(), hooks == InputSampler::Hooks::kInstall) << "error " << ::GetLastError();
    sampler.Take();
    PressShift();
    Pump(300);
    Sample afterKey = sampler.Take();
    EXPECT_LT(afterKey.keyIdleMs, 1000u);
    EXPECT_LT(afterKey.inputIdleMs, 1000u);

    Pump(1500);
    MoveMouse(hooks == InputSampler::Hooks::kInstall ? 7 : -7);
    Pump(300);
    Sample afterMove = sampler.Take();
    EXPECT_LT(afterMove.inputIdleMs, 1000u) << "movement is input";
    EXPECT_GE(afterMove.keyIdleMs, 1500u) << "but not a key, a button or the wheel";
    EXPECT_FALSE(afterMove.locked) << "the agent's own desktop takes the input";
  }
}

}  // namespace
}  // namespace lullan::engine
