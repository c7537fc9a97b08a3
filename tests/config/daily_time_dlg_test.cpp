// The daily logoff time dialog on its own, in its two modes: what it shows,
// how it packs the picked time, what it refuses and where it stores the time.
#include "daily_time_dlg.h"

#include <gtest/gtest.h>

#include "config_fixture.h"
#include "daily_time_answer.h"
#include "resource.h"
#include "text_format.h"

namespace lullan::test {
namespace {

using config::CDailyTimeDlg;
using config::DailyTimeMode;
using config::Target;

std::string Hex(std::optional<DWORD> value) {
  return value ? Narrow(FormatText(L"0x%08lX", *value)) : std::string("(absent)");
}

// What the dialog shows, as "hh:mm AM".
std::wstring Shown(const Controls& dialog) {
  return dialog.Text(IDC_DAILY_HOUR) + L":" + dialog.Text(IDC_DAILY_MINUTE) +
         (dialog.Checked(IDC_DAILY_PM)   ? L" PM"
          : dialog.Checked(IDC_DAILY_AM) ? L" AM"
                                         : L" (neither)");
}

class DailyTimeDialogTest : public ConfigTest {};

TEST_F(DailyTimeDialogTest, ItShowsTheStoredTimeAndStoresThePickedOneAtOnceAndMarksIt) {
  struct Case {
    DWORD stored;
    const wchar_t* shown;
    const wchar_t *hour, *minute;
    bool pm;
    DWORD packed;
  } cases[] = {
      {0x000C0000, L"12:00 PM", L"12", L"00", kAM, 0x00000000},  // noon shown; midnight picked
      {0x00180005, L"12:05 AM", L"12", L"30", kPM, 0x000C001E},  // an hour above 23 is midnight's
      {0x0017003B, L"11:59 PM", L"1", L"5", kAM, 0x00010005},
      {0x00000000, L"12:00 AM", L"11", L"59", kPM, 0x0017003B},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("stored " + Hex(c.stored));
    Store(MachineKey(), L"DailyLogoffTime", c.stored);
    console.changes().Clear();
    CDailyTimeDlg dialog(console, Target::Machine(kMachine), DailyTimeMode::Page);
    ModalSession admin;
    admin
        .Look([&](const Controls& shown) {
          EXPECT_EQ(Shown(shown), c.shown);
          EXPECT_TRUE(shown.Focused(IDC_DAILY_HOUR)) << "the hour is typed first";
        })
        .Type(IDC_DAILY_HOUR, c.hour)
        .Type(IDC_DAILY_MINUTE, c.minute)
        .Click(c.pm ? IDC_DAILY_PM : IDC_DAILY_AM)
        .PressOK();
    EXPECT_EQ(admin.Run(dialog), IDOK);
    EXPECT_EQ(Hex(dialog.packedTime()), Hex(c.packed));
    EXPECT_EQ(Hex(Number(MachineKey(), L"DailyLogoffTime")), Hex(c.packed));
    EXPECT_EQ(console.changes().dwordChangeMask, 0x200000u) << "DailyLogoffTime's bit, and no other";
  }
}

TEST_F(DailyTimeDialogTest, AnHourOrMinuteOutOfRangeKeepsTheDialogOpenAndCancelStoresNothing) {
  Store(MachineKey(), L"DailyLogoffTime", 0x00090000);
  CDailyTimeDlg dialog(console, Target::Machine(kMachine), DailyTimeMode::Page);
  ModalSession admin;
  admin.Type(IDC_DAILY_HOUR, L"13").PressOK().Answer(IDOK);
  admin.Type(IDC_DAILY_HOUR, L"").PressOK().Answer(IDOK);
  admin.Type(IDC_DAILY_HOUR, L"7").Type(IDC_DAILY_MINUTE, L"60").PressOK().Answer(IDOK);
  admin.Look([](const Controls& dialog) { EXPECT_TRUE(dialog.Focused(IDC_DAILY_MINUTE)) << "the field to mend"; });
  admin.PressCancel();
  EXPECT_EQ(admin.Run(dialog), IDCANCEL);

  std::vector<std::wstring> messages;
  for (const SeenDialog& box : admin.boxes()) messages.push_back(box.Text());
  const std::wstring hour = L"Please enter an integer between 1 and 12.";
  EXPECT_EQ(messages, (std::vector<std::wstring>{hour, hour, L"Please enter an integer between 0 and 59."}));
  EXPECT_EQ(Hex(Number(MachineKey(), L"DailyLogoffTime")), "0x00090000");
}

TEST_F(DailyTimeDialogTest, InGroupModeItHandsTheTimeBackAndStoresNothing) {
  Store(versionKey, L"DailyLogoffTime", 0x00110005);
  Store(MachineKey(), L"DailyLogoffTime", 0x00110005);
  // The console starts a group's time from midnight; setup from its machine's daily logoff time.
  CDailyTimeDlg consoleGroup(console, Target::Machine(kMachine), DailyTimeMode::Group);
  ModalSession admin;
  admin.Look([](const Controls& shown) { EXPECT_EQ(Shown(shown), L"12:00 AM"); })
      .Type(IDC_DAILY_HOUR, L"05")
      .Type(IDC_DAILY_MINUTE, L"30")
      .Click(IDC_DAILY_PM)
      .PressOK();
  EXPECT_EQ(admin.Run(consoleGroup), IDOK);
  EXPECT_EQ(Hex(consoleGroup.packedTime()), "0x0011001E");

  CDailyTimeDlg setupGroup(setup, Target(), DailyTimeMode::Group);
  ModalSession local;
  local.Look([](const Controls& shown) { EXPECT_EQ(Shown(shown), L"05:05 PM"); }).Click(IDC_DAILY_AM).PressOK();
  EXPECT_EQ(local.Run(setupGroup), IDOK);
  EXPECT_EQ(Hex(setupGroup.packedTime()), "0x00050005");

  EXPECT_EQ(Hex(Number(versionKey, L"DailyLogoffTime")), "0x00110005");
  EXPECT_EQ(Hex(Number(MachineKey(), L"DailyLogoffTime")), "0x00110005");
  EXPECT_EQ(console.changes().dwordChangeMask, 0u);
}

}  // namespace
}  // namespace lullan::test
