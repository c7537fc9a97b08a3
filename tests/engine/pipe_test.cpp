// The pipe between the service and its agents: what a message may be, and
// the service's side serving several sessions, each client judged by the
// session it really runs in.
#include <gtest/gtest.h>

#include <cstring>

#include "agent_channels.h"
#include "fake_platform.h"
#include "session_watcher.h"
#include "text_format.h"

namespace lullan::engine {
namespace {

std::vector<BYTE> Bytes(std::initializer_list<DWORD> words) {
  std::vector<BYTE> bytes(words.size() * sizeof(DWORD));
  std::memcpy(bytes.data(), std::data(words), bytes.size());
  return bytes;
}

TEST(PipeProtocol, EveryMessageComesBackAsItWasSent) {
  const std::wstring longest(kLongestText, L'x');
  for (const Message& message :
       {Message{Hello{}}, Message{Sample{1234, 567, true, false}}, Message{Sample{0, 0, false, true}},
        Message{LogOff{}}, Message{Quit{}}, Message{Display{true, L"POWERPNT.EXE"}}, Message{Display{}},
        Message{Cancel{}}, Message{SoundFailed{ERROR_FILE_NOT_FOUND, L"\\\\files\\chime.wav"}},
        Message{Countdown{10, Ending::kReboot, true, L"idle 30 minutes", L"Save your work."}},
        Message{Countdown{120, Ending::kLogOff, false, longest, longest}}, Message{EndCountdown{}},
        Message{PlayWave{L"C:\\Sounds\\chime.wav"}}, Message{TrayTip{L"Idle logoff in 12 minutes"}},
        Message{TrayTip{}}}) {
    std::optional<Message> decoded = Decode(Encode(message));
    ASSERT_TRUE(decoded) << "type " << message.index();
    EXPECT_TRUE(*decoded == message) << "type " << message.index();
  }
}

TEST(PipeProtocol, AnythingElseIsMalformed) {
  struct Case {
    const char* what;
    std::vector<BYTE> bytes;
  };
  std::vector<BYTE> overlong = Encode(Sample{});
  overlong.resize(kLongestMessage + 1);
  // A tooltip one character longer than any text may be: its count and header say so.
  std::vector<BYTE> tooLong = Encode(TrayTip{std::wstring(kLongestText, L'x')});
  tooLong.resize(tooLong.size() + sizeof(wchar_t), 'x');
  reinterpret_cast<DWORD*>(tooLong.data())[1] += sizeof(wchar_t);
  reinterpret_cast<DWORD*>(tooLong.data())[2] += 1;
  const Case cases[] = {
      {"nothing", {}},
      {"half a header", {1, 0, 0}},
      {"an unknown type", Bytes({7, 0})},
      {"a Hello of another version", Bytes({1, 4, 2})},
      {"a payload shorter than its header says", Bytes({2, 12, 1, 2})},
      {"a payload longer than its type's", Bytes({0x101, 4, 0})},
      {"a Sample with flags nobody knows", Bytes({2, 12, 1, 2, 0x80})},
      {"a Sample whose size is right but header lies", Bytes({2, 16, 1, 2, 0})},
      {"longer than any message", overlong},
      {"a text longer than any", tooLong},
      {"a text running past its message", Bytes({0x106, 8, 3, 0x00410041})},
      {"a text's count missing", Bytes({0x106, 0})},
      {"a flag that is neither 0 nor 1", Bytes({3, 8, 2, 0})},
      {"a countdown ending nobody knows", Bytes({0x103, 20, 10, 3, 0, 0, 0})},
      {"a countdown with bytes to spare", Bytes({0x103, 24, 10, 0, 0, 0, 0, 0})},
      {"a Cancel with a payload", Bytes({4, 4, 0})},
  };
  for (const Case& c : cases) EXPECT_FALSE(Decode(c.bytes)) << c.what;
}

TEST(PipeProtocol, ATextLongerThanAnyIsCutWhenItIsSent) {
  std::optional<Message> decoded = Decode(Encode(TrayTip{std::wstring(kLongestText + 50, L'y')}));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(std::get<TrayTip>(*decoded).text, std::wstring(kLongestText, L'y'));
  EXPECT_LE(Encode(Countdown{1, Ending::kLogOff, true, std::wstring(9999, L'a'), std::wstring(9999, L'b')}).size(),
            kLongestMessage);
}

TEST(PipeProtocol, ThePipeAdmitsLocalSystemAndTheSessionsLogonAlone) {
  unique_handle token;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()));
  std::vector<BYTE> logon = ReadLogonSid(token.get());
  ASSERT_FALSE(logon.empty());
  std::wstring sddl = AgentPipeSddl(logon.data());
  // Protected: nothing inherited; the session's logon may read and write, not create an instance.
  EXPECT_EQ(sddl.rfind(L"D:P(A;;GA;;;SY)(A;;0x12019b;;;S-1-5-5-", 0), 0u) << Narrow(sddl);
  EXPECT_EQ(0x12019bu & FILE_CREATE_PIPE_INSTANCE, 0u);
}

// A client of a session's pipe, in this process: the fake sessions say which
// session this process runs in when it connects.
class Client {
 public:
  bool Connect(DWORD session) {
    for (int tries = 0; tries < 100; ++tries) {
      pipe_.reset(::CreateFileW(AgentPipeName(session).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                0, nullptr));
      if (pipe_) break;
      ::Sleep(50);  // the pipe thread opens it shortly
    }
    if (!pipe_) return false;
    // A client the service turns away may be gone before it can set its mode.
    DWORD mode = PIPE_READMODE_MESSAGE;
    ::SetNamedPipeHandleState(pipe_.get(), &mode, nullptr, nullptr);
    return true;
  }
  bool Write(const std::vector<BYTE>& bytes) {
    DWORD written = 0;
    return ::WriteFile(pipe_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
  }
  bool Send(const Message& message) { return Write(Encode(message)); }
  // The next message the service sent, within a few seconds.
  std::optional<Message> Receive() {
    for (int tries = 0; tries < 100; ++tries) {
      DWORD available = 0;
      if (!::PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;
      if (available > 0) {
        std::vector<BYTE> bytes(kLongestMessage);
        DWORD read = 0;
        if (!::ReadFile(pipe_.get(), bytes.data(), kLongestMessage, &read, nullptr)) return std::nullopt;
        return Decode(std::span<const BYTE>(bytes.data(), read));
      }
      ::Sleep(50);
    }
    return std::nullopt;
  }
  // True once the service has closed this connection.
  bool Closed() {
    for (int tries = 0; tries < 100; ++tries) {
      if (!::PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, nullptr, nullptr)) return true;
      ::Sleep(50);
    }
    return false;
  }

 private:
  unique_file pipe_;
};

class AgentChannelsTest : public ::testing::Test {
 protected:
  AgentChannelsTest() {
    scope_.Use(sessions);
    unique_handle token;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put());
    logon = ReadLogonSid(token.get());
  }
  void SetUp() override { ASSERT_TRUE(channels.Start()); }
  void TearDown() override { channels.Stop(); }

  // Clients of this process count as the session's.
  void In(DWORD session) { sessions.PlaceProcess(::GetCurrentProcessId(), session); }

  // The next report, within five seconds.
  std::optional<EngineReport> Next() {
    for (DWORD end = ::GetTickCount() + 5000; static_cast<LONG>(end - ::GetTickCount()) > 0;) {
      if (std::optional<EngineReport> report = reports.Take()) return report;
      ::WaitForSingleObject(reports.event(), 100);
    }
    return std::nullopt;
  }
  template <typename Report>
  Report Expect() {
    std::optional<EngineReport> report = Next();
    if (!report || !std::holds_alternative<Report>(*report)) {
      ADD_FAILURE() << "expected report " << EngineReport(Report{}).index() << ", got "
                    << (report ? static_cast<int>(report->index()) : -1);
      return Report{};
    }
    return std::get<Report>(*report);
  }

  test::FakeSessions sessions;
  EngineReports reports;
  AgentChannels channels{reports};
  std::vector<BYTE> logon;

 private:
  test::ScopedPlatform scope_;
};

TEST_F(AgentChannelsTest, AnAgentOfTheSessionIsAdmittedAndWhatItSeesReachesTheEngine) {
  In(5);
  channels.Open(5, logon);
  Client agent;
  ASSERT_TRUE(agent.Connect(5));
  AgentConnected connected = Expect<AgentConnected>();
  EXPECT_EQ(connected.session, 5u);
  EXPECT_EQ(connected.processId, ::GetCurrentProcessId());
  ASSERT_TRUE(agent.Send(Hello{}));
  ASSERT_TRUE(agent.Send(Sample{61000, 90000, true, false}));
  AgentSampled sampled = Expect<AgentSampled>();
  EXPECT_EQ(sampled.session, 5u);
  EXPECT_TRUE(sampled.sample == (Sample{61000, 90000, true, false}));

  channels.Send(5, LogOff{});
  std::optional<Message> told = agent.Receive();
  EXPECT_TRUE(told && std::holds_alternative<LogOff>(*told)) << "the agent is told to log its session off";
}

TEST_F(AgentChannelsTest, AMalformedOrOversizedMessageClosesThatConnectionAndNothingElse) {
  In(5);
  channels.Open(5, logon);
  Client five;
  ASSERT_TRUE(five.Connect(5));
  EXPECT_EQ(Expect<AgentConnected>().session, 5u);
  In(6);
  channels.Open(6, logon);
  Client six;
  ASSERT_TRUE(six.Connect(6));
  EXPECT_EQ(Expect<AgentConnected>().session, 6u);
  ASSERT_TRUE(five.Send(Hello{}));
  ASSERT_TRUE(six.Send(Hello{}));

  ASSERT_TRUE(five.Write(Bytes({0x2, 12, 1, 2, 0xFF})));
  AgentDisconnected dropped = Expect<AgentDisconnected>();
  EXPECT_EQ(dropped.session, 5u);
  EXPECT_EQ(dropped.why, L"a malformed message");
  EXPECT_TRUE(five.Closed());

  ASSERT_TRUE(six.Send(Sample{1, 2, false, false}));
  EXPECT_EQ(Expect<AgentSampled>().session, 6u) << "the other session's agent goes on";

  // Session 5's next agent is heard; a message longer than any closes it again.
  In(5);
  Client again;
  ASSERT_TRUE(again.Connect(5));
  EXPECT_EQ(Expect<AgentConnected>().session, 5u);
  ASSERT_TRUE(again.Write(std::vector<BYTE>(4000, 0x41)));
  EXPECT_EQ(Expect<AgentDisconnected>().why, L"a message longer than any the agent sends");

  // A sample before the agent's Hello breaks the protocol too.
  Client hasty;
  ASSERT_TRUE(hasty.Connect(5));
  EXPECT_EQ(Expect<AgentConnected>().session, 5u);
  ASSERT_TRUE(hasty.Send(Sample{}));
  EXPECT_EQ(Expect<AgentDisconnected>().why, L"a malformed message");
}

TEST_F(AgentChannelsTest, AProgramOfAnotherSessionIsTurnedAwayWhateverItSays) {
  channels.Open(5, logon);
  In(9);
  Client intruder;
  ASSERT_TRUE(intruder.Connect(5));
  ClientRefused refused = Expect<ClientRefused>();
  EXPECT_EQ(refused.session, 5u);
  EXPECT_EQ(refused.clientSession, 9u);
  EXPECT_EQ(refused.processId, ::GetCurrentProcessId());
  EXPECT_TRUE(intruder.Closed());
  EXPECT_EQ(reports.Take(), std::nullopt) << "no agent was admitted";

  In(5);
  Client agent;
  ASSERT_TRUE(agent.Connect(5));
  EXPECT_EQ(Expect<AgentConnected>().session, 5u) << "the session's own agent is heard after it";
}

TEST_F(AgentChannelsTest, APipeNameSomeoneElseTookIsReported) {
  // Whoever holds the name would hear the agent: the service does not share it.
  unique_file squatter(
      ::CreateNamedPipeW(AgentPipeName(8).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, 1, 0, 0, 0, nullptr));
  ASSERT_TRUE(squatter);
  channels.Open(8, logon);
  PipeFailed failed = Expect<PipeFailed>();
  EXPECT_EQ(failed.session, 8u);
  EXPECT_NE(failed.error, 0u);
}

}  // namespace
}  // namespace lullan::engine
