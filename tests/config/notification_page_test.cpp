// The Notification page in a real configuration sheet: what it shows, how
// the countdown switch and the two checked edits behave under the focus, the
// file dialog, and what OK stores and marks.
#include "notification_page.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config_fixture.h"
#include "resource.h"
#include "tuning_page.h"

namespace lullan::test {
namespace {

using config::CNotifyDlg;
using config::CTuneDlg;
using config::Target;

constexpr wchar_t kOutOfRange[] = L"Out of range; must be between 1 and 120 seconds";

class NotificationPageTest : public ConfigTest {
 protected:
  NotificationPageTest() {
    // A WAV file that exists: a tenth of a second of silence.
    const char header[] = "RIFF\x44\x03\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data";
    std::ofstream out(std::filesystem::path(wav), std::ios::binary);
    out.write(header, sizeof header - 1);
    const unsigned size = 800;
    out.write(reinterpret_cast<const char*>(&size), 4);
    out << std::string(size, '\x80');
  }
  ~NotificationPageTest() override {
    std::error_code ignored;
    std::filesystem::remove(wav, ignored);
  }

  // The six values OK writes, as found in `key`.
  struct Notification {
    std::optional<std::wstring> message, wavFile;
    std::optional<DWORD> seconds, countdown, playSound, userCancel;
    bool operator==(const Notification&) const = default;
    friend void PrintTo(const Notification& n, std::ostream* out) {
      auto text = [](const std::optional<std::wstring>& t) { return t ? ::testing::PrintToString(*t) : "(absent)"; };
      auto number = [](const std::optional<DWORD>& d) { return d ? std::to_string(*d) : "(absent)"; };
      *out << "{message " << text(n.message) << ", wav " << text(n.wavFile) << ", seconds " << number(n.seconds)
           << ", countdown " << number(n.countdown) << ", play " << number(n.playSound) << ", cancel "
           << number(n.userCancel) << "}";
    }
  };
  Notification Stored(const std::wstring& key) const {
    return {Text(key, L"CustomMessage"),  Text(key, L"WavFile"),     Number(key, L"CountdownSeconds"),
            Number(key, L"UseCancelDlg"), Number(key, L"PlaySound"), Number(key, L"EnableUserCancel")};
  }

  // What a click elsewhere or Tab does to the edit that has the focus.
  static DialogSession::Step FocusOn(unsigned id) {
    return [id](HWND sheet) { ::SetFocus(::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), static_cast<int>(id))); };
  }
  // Enter in an edit, through the sheet's own message loop: OK without a focus change.
  static void PressEnter(HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }
  static void CountdownControlsAre(const Controls& page, bool enabled) {
    EXPECT_EQ(page.Checked(IDC_NOTIFY_USE_COUNTDOWN), enabled);
    for (unsigned id : {IDC_NOTIFY_COUNTDOWN_SECONDS, IDC_NOTIFY_CUSTOM_MESSAGE, IDC_NOTIFY_USER_CANCEL}) {
      EXPECT_EQ(page.Enabled(id), enabled) << "control " << id;
    }
  }
  // The user is back in the edit, its whole text selected for retyping.
  static void BackIn(const Controls& page, unsigned id) {
    EXPECT_TRUE(page.Focused(id));
    DWORD start = 0, end = 0;
    ::SendMessageW(page.Item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, page.Text(id).size());
  }

  std::wstring wav =
      (std::filesystem::temp_directory_path() / ("lullan-" + std::to_string(::GetCurrentProcessId()) + ".wav"))
          .wstring();
};

TEST_F(NotificationPageTest, ANewWorkstationShowsNoCountdownAndNoSoundInTheWordsOfThePage) {
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin
      .Look([](const Controls& page) {
        EXPECT_EQ(page.Labels(), (std::vector<std::wstring>{L"Let the user know that logoff is underway:",
                                                            L"Start countdown at (seconds)", L"Custom logoff message:",
                                                            L"Play .WAV file at logoff:"}));
        EXPECT_EQ(page.Label(IDC_NOTIFY_USE_COUNTDOWN), L"Display countdown at logoff");
        EXPECT_EQ(page.Label(IDC_NOTIFY_USER_CANCEL), L"Allow user to cancel logoff in progress");
        EXPECT_EQ(page.Text(IDC_NOTIFY_BROWSE), L"...");
        CountdownControlsAre(page, false);
        EXPECT_EQ(page.Text(IDC_NOTIFY_COUNTDOWN_SECONDS), L"10");
        EXPECT_EQ(page.Text(IDC_NOTIFY_CUSTOM_MESSAGE), L"");
        EXPECT_FALSE(page.Checked(IDC_NOTIFY_USER_CANCEL));
        EXPECT_EQ(page.Text(IDC_NOTIFY_WAV_FILE), L"");
        EXPECT_TRUE(page.Focused(IDC_NOTIFY_WAV_FILE));
        EXPECT_FALSE(page.Enabled(IDC_NOTIFY_PLAY)) << "nothing to play";
        EXPECT_NE(::SendMessageW(page.Item(IDC_NOTIFY_PLAY), BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the play image";
      })
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), (Notification{L"", L"", 10, 0, 0, 0}));
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
}

TEST_F(NotificationPageTest, TheCountdownSwitchEnablesItsControlsAndALongMessageIsCutTo127Characters) {
  Store(versionKey, L"CustomMessage", std::wstring(200, L'x'));
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(page.Text(IDC_NOTIFY_CUSTOM_MESSAGE), std::wstring(127, L'x')); })
      .Click(IDC_NOTIFY_USE_COUNTDOWN)
      .Look([](const Controls& page) {
        CountdownControlsAre(page, true);
        EXPECT_TRUE(page.Focused(IDC_NOTIFY_COUNTDOWN_SECONDS));
      })
      .Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"120")
      .Type(IDC_NOTIFY_CUSTOM_MESSAGE, std::wstring(200, L'y'))  // a paste is cut by the edit
      .Click(IDC_NOTIFY_USER_CANCEL)
      .Click(IDC_NOTIFY_USE_COUNTDOWN)
      .Look([](const Controls& page) {
        CountdownControlsAre(page, false);
        EXPECT_TRUE(page.Focused(IDC_NOTIFY_WAV_FILE));
      })
      .Click(IDC_NOTIFY_USE_COUNTDOWN)
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), (Notification{std::wstring(127, L'y'), L"", 120, 1, 0, 1}));
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();

  // The next visit starts on the switch, the countdown being on.
  auto again = Sheet<CNotifyDlg>(setup, Target());
  SheetSession next;
  next.Look([](const Controls& page) {
        CountdownControlsAre(page, true);
        EXPECT_TRUE(page.Focused(IDC_NOTIFY_USE_COUNTDOWN));
        EXPECT_EQ(page.Text(IDC_NOTIFY_COUNTDOWN_SECONDS), L"120");
      })
      .PressCancel();
  EXPECT_EQ(next.Run(*again), IDCANCEL);
}

TEST_F(NotificationPageTest, SecondsOutsideOneToOneHundredTwentyAreRefusedOnLeavingTheEditAndOnOK) {
  Store(versionKey, L"UseCancelDlg", 1);
  auto sheet = Sheet<CNotifyDlg, CTuneDlg>(setup, Target());
  SheetSession admin;
  admin.Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"0").Do(L"tab on", FocusOn(IDC_NOTIFY_CUSTOM_MESSAGE)).Answer(IDOK);
  admin.Look([](const Controls& page) { BackIn(page, IDC_NOTIFY_COUNTDOWN_SECONDS); });
  // A click on another tab changes the focus and asks the page to be left: one box, not two.
  admin.Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"121").Answer(IDOK).Do(L"click the Tuning tab", [](HWND sheet) {
    ::SetFocus(PropSheet_GetTabControl(sheet));
    PropSheet_SetCurSel(sheet, nullptr, 1);
  });
  admin.Look([](const Controls& page) { BackIn(page, IDC_NOTIFY_COUNTDOWN_SECONDS); });
  admin.Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"99999999999").Answer(IDOK).Do(L"press Enter", PressEnter);
  admin.Look([](const Controls& page) { BackIn(page, IDC_NOTIFY_COUNTDOWN_SECONDS); });
  admin.Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"120").Do(L"tab on", FocusOn(IDC_NOTIFY_CUSTOM_MESSAGE)).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 3u) << admin.Describe();
  for (const SeenDialog& box : admin.boxes()) EXPECT_EQ(box.Text(), kOutOfRange);
  EXPECT_EQ(Number(versionKey, L"CountdownSeconds"), 120u);
}

TEST_F(NotificationPageTest, AnEmptiedCountdownTurnsTheCountdownOffAndIsStoredAsZeroWhichReadsAsTen) {
  for (bool enter : {false, true}) {
    SCOPED_TRACE(enter ? "emptied, then Enter" : "emptied, then Tab");
    Store(versionKey, L"UseCancelDlg", 1);
    Store(versionKey, L"CountdownSeconds", 30);
    auto sheet = Sheet<CNotifyDlg>(setup, Target());
    SheetSession admin;
    admin.Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"");
    if (enter) {
      admin.Do(L"press Enter", PressEnter);
    } else {
      admin.Do(L"tab on", FocusOn(IDC_NOTIFY_CUSTOM_MESSAGE))
          .Look([](const Controls& page) {
            CountdownControlsAre(page, false);
            EXPECT_TRUE(page.Focused(IDC_NOTIFY_WAV_FILE));
          })
          .PressOK();
    }
    EXPECT_EQ(admin.Run(*sheet), IDOK);
    EXPECT_EQ(Stored(versionKey), (Notification{L"", L"", 0, 0, 0, 0}));
    EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
  }
  // Stored as 0, shown as 10; emptied and switched off and on, it starts from ten again.
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(page.Text(IDC_NOTIFY_COUNTDOWN_SECONDS), L"10"); })
      .Click(IDC_NOTIFY_USE_COUNTDOWN)
      .Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"")
      .Click(IDC_NOTIFY_USE_COUNTDOWN)
      .Click(IDC_NOTIFY_USE_COUNTDOWN)
      .Look([](const Controls& page) {
        EXPECT_EQ(page.Text(IDC_NOTIFY_COUNTDOWN_SECONDS), L"10");
        BackIn(page, IDC_NOTIFY_COUNTDOWN_SECONDS);
      })
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), (Notification{L"", L"", 10, 1, 0, 0}));
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
}

TEST_F(NotificationPageTest, StoredCountdownsOutsideTheRangeShowTenAndAnyFourBytesCount) {
  struct Case {
    DWORD seconds, type;
    const wchar_t* shown;
  };
  for (const Case& c : {Case{0, REG_DWORD, L"10"}, Case{121, REG_DWORD, L"10"}, Case{120, REG_DWORD, L"120"},
                        Case{1, REG_DWORD, L"1"}, Case{60, REG_BINARY, L"60"}}) {
    StoreRaw(versionKey, L"CountdownSeconds", c.type, &c.seconds, sizeof c.seconds);
    auto sheet = Sheet<CNotifyDlg>(setup, Target());
    SheetSession admin;
    admin.Look([&c](const Controls& page) { EXPECT_EQ(page.Text(IDC_NOTIFY_COUNTDOWN_SECONDS), c.shown); })
        .PressCancel();
    EXPECT_EQ(admin.Run(*sheet), IDCANCEL) << c.seconds;
  }
}

TEST_F(NotificationPageTest, AWavPathIsCheckedWhenTypedTakenWhenChosenAndClearedToStopTheSound) {
  const std::wstring missing = L"C:\\no such folder\\bye.wav";
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin.Type(IDC_NOTIFY_WAV_FILE, missing).Do(L"tab on", FocusOn(IDC_NOTIFY_USE_COUNTDOWN)).Answer(IDOK);
  admin.Look([](const Controls& page) {
    BackIn(page, IDC_NOTIFY_WAV_FILE);
    EXPECT_FALSE(page.Enabled(IDC_NOTIFY_PLAY));
  });
  // Typed, then "..." instead; the choice is cancelled, so OK finds the typed path.
  admin.Type(IDC_NOTIFY_WAV_FILE, missing + L"x").Click(IDC_NOTIFY_BROWSE).Answer(IDCANCEL);
  admin.PressOK().Answer(IDOK);
  admin.Look([](const Controls& page) { BackIn(page, IDC_NOTIFY_WAV_FILE); });
  admin.Click(IDC_NOTIFY_BROWSE).Answer([this](HWND files) {
    ::SetDlgItemTextW(files, cmb13, wav.c_str());  // the file name box
    ::SetDlgItemTextW(files, edt1, wav.c_str());
    DialogAnswerer::PressButton(files, IDOK);
  });
  admin
      .Look([this](const Controls& page) {
        EXPECT_EQ(page.Text(IDC_NOTIFY_WAV_FILE), wav);
        EXPECT_TRUE(page.Enabled(IDC_NOTIFY_PLAY));
      })
      .Click(IDC_NOTIFY_PLAY)
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 4u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Can't find file " + missing);
  EXPECT_EQ(admin.boxes()[1].caption, L"Select file");
  EXPECT_EQ(admin.boxes()[2].Text(), L"Can't find file " + missing + L"x");
  EXPECT_EQ(admin.boxes()[3].caption, L"Select file");
  EXPECT_EQ(Stored(versionKey), (Notification{L"", wav, 10, 0, 1, 0}));

  // A cleared path disables the play button and stores no sound; a typed one that exists enables it.
  auto again = Sheet<CNotifyDlg>(setup, Target());
  SheetSession next;
  next.Type(IDC_NOTIFY_WAV_FILE, L"")
      .Do(L"tab on", FocusOn(IDC_NOTIFY_USE_COUNTDOWN))
      .Look([](const Controls& page) { EXPECT_FALSE(page.Enabled(IDC_NOTIFY_PLAY)); })
      .Type(IDC_NOTIFY_WAV_FILE, wav)
      .Do(L"tab on", FocusOn(IDC_NOTIFY_USE_COUNTDOWN))
      .Look([](const Controls& page) { EXPECT_TRUE(page.Enabled(IDC_NOTIFY_PLAY)); })
      .Type(IDC_NOTIFY_WAV_FILE, L"")
      .PressOK();
  EXPECT_EQ(next.Run(*again), IDOK);
  EXPECT_EQ(Stored(versionKey), (Notification{L"", L"", 10, 0, 0, 0}));
  EXPECT_TRUE(next.boxes().empty()) << next.Describe();
}

TEST_F(NotificationPageTest, CancelAndTheOtherEditNeverMeetARefusedEditTwice) {
  Store(MachineKey(), L"UseCancelDlg", 1);
  // A path that is only on the workstation is kept as read.
  Store(MachineKey(), L"WavFile", L"D:\\Sounds\\bye.wav");
  auto cancelled = Sheet<CNotifyDlg>(console, Target::Machine(kMachine));
  SheetSession changedMind;
  changedMind.Do(L"tab through the path", FocusOn(IDC_NOTIFY_WAV_FILE))
      .Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"0")
      .Do(L"press the mouse on Cancel", [](HWND sheet) { ::SetFocus(::GetDlgItem(sheet, IDCANCEL)); })
      .PressCancel();  // a step later: the focus loss has been handled before the button comes up
  EXPECT_EQ(changedMind.Run(*cancelled), IDCANCEL);
  EXPECT_TRUE(changedMind.boxes().empty()) << changedMind.Describe();

  // Both edits refused at once: the box of the one left first, and the focus stays there.
  auto sheet = Sheet<CNotifyDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin
      .Do(L"fill both",
          [](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            ::SetDlgItemTextW(page, IDC_NOTIFY_COUNTDOWN_SECONDS, L"0");
            ::SetDlgItemTextW(page, IDC_NOTIFY_WAV_FILE, L"C:\\missing.wav");
            ::SetFocus(::GetDlgItem(page, IDC_NOTIFY_COUNTDOWN_SECONDS));
          })
      .Do(L"tab on", FocusOn(IDC_NOTIFY_WAV_FILE))
      .Answer(IDOK)
      .Look([](const Controls& page) { BackIn(page, IDC_NOTIFY_COUNTDOWN_SECONDS); })
      .Type(IDC_NOTIFY_COUNTDOWN_SECONDS, L"15")
      .Type(IDC_NOTIFY_WAV_FILE, L"D:\\Sounds\\bye.wav")
      .PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), kOutOfRange);
  EXPECT_EQ(Stored(MachineKey()), (Notification{L"", L"D:\\Sounds\\bye.wav", 15, 1, 1, 0}));
  EXPECT_EQ(console.changes().dwordChangeMask, 0x4000u | 0x8000u | 0x10000u | 0x20000u);
  EXPECT_EQ(console.changes().stringChangeMask, 0x8u | 0x10u);
}

TEST_F(NotificationPageTest, WithoutATargetTheConsoleSaysSoAndWritesNothing) {
  auto sheet = Sheet<CNotifyDlg>(console, Target());
  SheetSession admin;
  admin.PressOK().Answer(IDOK);
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Registry key name missing");
  EXPECT_EQ(console.changes().dwordChangeMask | console.changes().stringChangeMask, 0u);
  EXPECT_EQ(ValueNames(consoleKey), std::set<std::wstring>{});
}

}  // namespace
}  // namespace lullan::test
