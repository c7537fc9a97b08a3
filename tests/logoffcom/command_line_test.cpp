// The command lines of quitsrv and logoff.
#include <gtest/gtest.h>

#include <string>

#include "logoff_command_line.h"
#include "quitsrv_command_line.h"

namespace lullan {
namespace {

TEST(QuitsrvCommandLine, TheFirstTokenBetweenDashesAndSlashesDecidesInAnyCase) {
  struct Case {
    const char* arguments;
    QuitsrvAction action;
  };
  const Case cases[] = {
      {"", QuitsrvAction::kInteractive},
      {"-RegServer", QuitsrvAction::kRegister},
      {"/regserver", QuitsrvAction::kRegister},
      {"RegServer", QuitsrvAction::kRegister},  // no switch character needed
      {"--/REGSERVER-Embedding", QuitsrvAction::kRegister},
      {"-UnregServer", QuitsrvAction::kUnregister},
      {"/unregSERVER", QuitsrvAction::kUnregister},
      {"-Embedding", QuitsrvAction::kServe},
      {"/embedding", QuitsrvAction::kServe},
      {"-RegServer ", QuitsrvAction::kNothing},  // a trailing blank is part of the token
      {" -RegServer", QuitsrvAction::kNothing},
      {"-Reg", QuitsrvAction::kNothing},
      {"-", QuitsrvAction::kNothing},
      {"-/-", QuitsrvAction::kNothing},
      {"Automation", QuitsrvAction::kNothing},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<int>(ParseQuitsrvCommandLine(c.arguments)), static_cast<int>(c.action))
        << "arguments \"" << c.arguments << "\"";
  }
  std::string overLong = "-RegServer" + std::string(100000, 'x');
  EXPECT_EQ(static_cast<int>(ParseQuitsrvCommandLine(overLong)), static_cast<int>(QuitsrvAction::kNothing));
}

TEST(LogoffCommandLine, TheLetterAfterTheSwitchCharacterDecides) {
  struct Case {
    const char* arguments;
    LogoffMode mode;
  };
  const Case cases[] = {
      {"", LogoffMode::kLogoff},          {"/shutdown", LogoffMode::kShutdown}, {"-S", LogoffMode::kShutdown},
      {"-sleep", LogoffMode::kShutdown},  {"-R", LogoffMode::kReboot},          {"/reboot", LogoffMode::kReboot},
      {"/l", LogoffMode::kLogoff},        {"/x", LogoffMode::kLogoff},          {"/I", LogoffMode::kInstall},
      {"-install", LogoffMode::kInstall}, {"/?", LogoffMode::kUsage},           {"-help", LogoffMode::kUsage},
      {"-H", LogoffMode::kUsage},         {"shutdown", LogoffMode::kLogoff},    {" /s", LogoffMode::kLogoff},
      {"/", LogoffMode::kLogoff},         {"-", LogoffMode::kLogoff},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<int>(ParseLogoffCommandLine(c.arguments)), static_cast<int>(c.mode))
        << "arguments \"" << c.arguments << "\"";
  }
  std::string overLong = "/r" + std::string(100000, 's');
  EXPECT_EQ(static_cast<int>(ParseLogoffCommandLine(overLong)), static_cast<int>(LogoffMode::kReboot));
}

}  // namespace
}  // namespace lullan
