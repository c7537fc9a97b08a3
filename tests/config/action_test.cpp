#include "action.h"

#include <gtest/gtest.h>

#include <string>

namespace lullan::config {
namespace {

std::wstring Shown(std::optional<Action> action) { return action ? ActionText(*action) : L"(none)"; }

TEST(Action, ReadsByTheFirstLetterInEitherCase) {
  EXPECT_EQ(Shown(ActionFromText(L"shutdown")), L"Shutdown");
  EXPECT_EQ(Shown(ActionFromText(L"SHUTDOWN")), L"Shutdown");
  EXPECT_EQ(Shown(ActionFromText(L"reboot")), L"Reboot");
  EXPECT_EQ(Shown(ActionFromText(L"R")), L"Reboot");
  EXPECT_EQ(Shown(ActionFromText(L"log off")), L"Logoff");
  EXPECT_EQ(Shown(ActionFromText(L"Sleep")), L"Shutdown");  // only the first letter counts
}

TEST(Action, TextsNamingNoActionReadAsLogoffInThePages) {
  for (const wchar_t* text : {L"Halt", L"", L" Shutdown", L"0", L"\x0160utdown"}) {
    EXPECT_EQ(Shown(ActionFromText(text)), L"(none)") << text;
    EXPECT_EQ(Shown(PageAction(text)), L"Logoff") << text;
  }
}

TEST(Action, WrittenTextsReadBackAsThemselves) {
  for (Action action : {Action::Logoff, Action::Shutdown, Action::Reboot}) {
    std::wstring text = ActionText(action);
    EXPECT_EQ(Shown(ActionFromText(text)), text);
  }
  EXPECT_STREQ(ActionText(Action::Logoff), L"Logoff");
  EXPECT_STREQ(ActionText(Action::Shutdown), L"Shutdown");
  EXPECT_STREQ(ActionText(Action::Reboot), L"Reboot");
}

}  // namespace
}  // namespace lullan::config
