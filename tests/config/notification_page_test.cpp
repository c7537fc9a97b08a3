// The Notification page in a real configuration sheet: what it shows, the
// countdown switch, the two edits checked when left, the file dialog, and
// what OK stores and marks.
#include "notification_page.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apartment_probe.h"
#include "config_fixture.h"
#include "resource.h"
#include "text_format.h"
#include "tuning_page.h"

namespace lullan::test {
namespace {

using config::CNotifyDlg;
using config::Target;

constexpr wchar_t kOutOfRange[] = L"Out of range; must be between 1 and 120 seconds";
// The page's controls, by what they are.
constexpr unsigned kUse = IDC_NOTIFY_USE_COUNTDOWN, kSeconds = IDC_NOTIFY_COUNTDOWN_SECONDS,
                   kMessage = IDC_NOTIFY_CUSTOM_MESSAGE, kUserCancel = IDC_NOTIFY_USER_CANCEL,
                   kWav = IDC_NOTIFY_WAV_FILE, kPlay = IDC_NOTIFY_PLAY;

class NotificationPageTest : public ConfigTest {
 protected:
  NotificationPageTest() { std::ofstream(std::filesystem::path(wav)) << "RIFF"; }
  ~NotificationPageTest() override { ::DeleteFileW(wav.c_str()); }

  // What OK wrote: "CustomMessage|WavFile|CountdownSeconds|UseCancelDlg|PlaySound|EnableUserCancel|", - for absent.
  std::wstring Stored(const std::wstring& key) const {
    std::wstring line;
    for (const wchar_t* name : {L"CustomMessage", L"WavFile"}) line += Text(key, name).value_or(L"-") + L"|";
    for (const wchar_t* name : {L"CountdownSeconds", L"UseCancelDlg", L"PlaySound", L"EnableUserCancel"}) {
      std::optional<DWORD> number = Number(key, name);
      line += (number ? std::to_wstring(*number) : L"-") + L"|";
    }
    return line;
  }
  // The file dialog of "...", answered with `path` in its file name box.
  static DialogAnswerer::Action ChooseFile(std::wstring path) {
    return [path](HWND files) {
      ::SetDlgItemTextW(files, cmb13, path.c_str());
      DialogAnswerer::PressButton(files, IDOK);
    };
  }
  // A click elsewhere, or Tab: the focus leaves the edit it is in.
  static DialogSession::Step FocusOn(unsigned id) {
    return [id](HWND sheet) { ::SetFocus(::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), static_cast<int>(id))); };
  }
  // Enter in an edit goes through the sheet's message loop: OK without a focus change.
  static void PressEnter(HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }
  static void CountdownIs(const Controls& page, bool on, unsigned focused) {
    EXPECT_EQ(page.Checked(kUse), on);
    for (unsigned id : {kSeconds, kMessage, kUserCancel}) EXPECT_EQ(page.Enabled(id), on);
    EXPECT_TRUE(page.Focused(focused)) << "focus on " << focused;
  }
  // The user is back in the edit, its whole text selected for retyping.
  static void BackIn(const Controls& page, unsigned id) {
    DWORD start = 1, end = 0;
    ::SendMessageW(page.Item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_TRUE(page.Focused(id) && start == 0 && end == page.Text(id).size()) << "selected " << start << "-" << end;
  }

  std::wstring wav = (std::filesystem::temp_directory_path() / L"lullan-notify.wav").wstring();  // exists
};

TEST_F(NotificationPageTest, ANewWorkstationShowsNoCountdownAndNoSoundInTheWordsOfThePage) {
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) {
    EXPECT_EQ(page.Labels(),
              (std::vector<std::wstring>{L"Let the user know that logoff is underway:", L"Start countdown at (seconds)",
                                         L"Custom logoff message:", L"Play .WAV file at logoff:"}));
    EXPECT_EQ(page.Label(kUse), L"Display countdown at logoff");
    EXPECT_EQ(page.Label(kUserCancel), L"Allow user to cancel logoff in progress");
    EXPECT_EQ(page.Text(IDC_NOTIFY_BROWSE), L"...");
    CountdownIs(page, false, kWav);
    EXPECT_EQ(page.Text(kSeconds) + page.Text(kMessage) + page.Text(kWav), L"10");
    EXPECT_FALSE(page.Checked(kUserCancel));
    EXPECT_FALSE(page.Enabled(kPlay)) << "nothing to play";
    EXPECT_NE(::SendMessageW(page.Item(kPlay), BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the play image";
  });
  EXPECT_EQ(admin.PressOK().Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), L"||10|0|0|0|");
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
}

TEST_F(NotificationPageTest, TheCountdownSwitchEnablesItsControlsAndAMessageIsCutTo127Characters) {
  Store(versionKey, L"CustomMessage", std::wstring(200, L'x'));
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(page.Text(kMessage), std::wstring(127, L'x')); });
  admin.Click(kUse).Look([](const Controls& page) { CountdownIs(page, true, kSeconds); });
  admin.Type(kSeconds, L"120").Type(kMessage, std::wstring(200, L'y')).Click(kUserCancel);
  admin.Click(kUse).Look([](const Controls& page) {
    CountdownIs(page, false, kWav);
    EXPECT_EQ(page.Text(kMessage), std::wstring(127, L'y')) << "a paste is cut by the edit";
  });
  EXPECT_EQ(admin.Click(kUse).PressOK().Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), std::wstring(127, L'y') + L"||120|1|0|1|");

  // With the countdown on, the page opens on its switch.
  auto again = Sheet<CNotifyDlg>(setup, Target());
  SheetSession next;
  next.Look([](const Controls& page) { CountdownIs(page, true, kUse); }).PressCancel();
  EXPECT_EQ(next.Run(*again), IDCANCEL);
}

TEST_F(NotificationPageTest, SecondsOutsideOneTo120AreRefusedWhenTheEditIsLeftByTabTheTabsOrEnter) {
  Store(versionKey, L"UseCancelDlg", 1);
  auto sheet = Sheet<CNotifyDlg, config::CTuneDlg>(setup, Target());
  SheetSession admin;
  auto backIn = [](const Controls& page) { BackIn(page, kSeconds); };
  admin.Type(kSeconds, L"0").Do(L"tab on", FocusOn(kMessage)).Answer(IDOK).Look(backIn);
  // A click on a tab takes the focus and asks the page to be left: one box, not two.
  admin.Type(kSeconds, L"121").Answer(IDOK).Do(L"click the Tuning tab", [](HWND sheet) {
    ::SetFocus(PropSheet_GetTabControl(sheet));
    PropSheet_SetCurSel(sheet, nullptr, 1);
  });
  admin.Look(backIn).Type(kSeconds, L"99999999999").Answer(IDOK).Do(L"press Enter", PressEnter).Look(backIn);
  admin.Type(kSeconds, L"120").Do(L"tab on", FocusOn(kMessage)).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 3u) << admin.Describe();
  for (const SeenDialog& box : admin.boxes()) EXPECT_EQ(box.Text(), kOutOfRange);
  EXPECT_EQ(Number(versionKey, L"CountdownSeconds"), 120u);
}

TEST_F(NotificationPageTest, AnEmptiedCountdownIsNoCountdownStoredAsZeroWhichReadsAsTen) {
  for (bool enter : {false, true}) {
    Store(versionKey, L"UseCancelDlg", 1);
    auto sheet = Sheet<CNotifyDlg>(setup, Target());
    SheetSession admin;
    admin.Type(kSeconds, L"");
    if (enter) {
      admin.Do(L"press Enter", PressEnter);
    } else {
      // The focus goes on to a control the emptied countdown disables.
      admin.Do(L"tab on", FocusOn(kMessage)).Look([](const Controls& page) { CountdownIs(page, false, kWav); });
      admin.PressOK();
    }
    EXPECT_EQ(admin.Run(*sheet), IDOK);
    EXPECT_EQ(Stored(versionKey), L"||0|0|0|0|") << (enter ? "Enter" : "Tab");
    EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
  }
  // Stored as 0, it shows 10; emptied and switched on again, it starts from ten rather than
  // turning itself off as soon as it is left.
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin.Look([](const Controls& page) { EXPECT_EQ(page.Text(kSeconds), L"10"); });
  admin.Click(kUse).Type(kSeconds, L"").Click(kUse).Click(kUse).Look([](const Controls& page) {
    EXPECT_EQ(page.Text(kSeconds), L"10");
    BackIn(page, kSeconds);
  });
  EXPECT_EQ(admin.PressOK().Run(*sheet), IDOK);
  EXPECT_EQ(Stored(versionKey), L"||10|1|0|0|");
}

TEST_F(NotificationPageTest, AWavPathIsCheckedWhenTypedTakenWhenChosenAndClearedToStoreNoSound) {
  const std::wstring missing = L"C:\\no such folder\\bye.wav";
  auto sheet = Sheet<CNotifyDlg>(setup, Target());
  SheetSession admin;
  admin.Type(kWav, missing).Do(L"tab on", FocusOn(kUse)).Answer(IDOK).Look([](const Controls& page) {
    BackIn(page, kWav);
    EXPECT_FALSE(page.Enabled(kPlay));
  });
  // Typed, then "..." instead, and the choice cancelled: OK finds the typed path.
  admin.Type(kWav, missing + L"x").Click(IDC_NOTIFY_BROWSE).Answer(IDCANCEL).PressOK().Answer(IDOK);
  admin.Look([](const Controls& page) { BackIn(page, kWav); }).Click(IDC_NOTIFY_BROWSE).Answer(ChooseFile(wav));
  admin.Look([this](const Controls& page) { EXPECT_EQ(page.Text(kWav), wav); }).Click(kPlay).PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 4u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"Can't find file " + missing);
  EXPECT_EQ(admin.boxes()[1].caption + L", " + admin.boxes()[3].caption, L"Select file, Select file");
  EXPECT_EQ(admin.boxes()[2].Text(), L"Can't find file " + missing + L"x");
  EXPECT_EQ(Stored(versionKey), L"|" + wav + L"|10|0|1|0|");

  // Cleared, the play button goes off; a typed path that exists turns it on.
  auto again = Sheet<CNotifyDlg>(setup, Target());
  SheetSession next;
  auto play = [](bool on) { return [on](const Controls& page) { EXPECT_EQ(page.Enabled(kPlay), on); }; };
  next.Type(kWav, L"").Do(L"tab on", FocusOn(kUse)).Look(play(false));
  next.Type(kWav, wav).Do(L"tab on", FocusOn(kUse)).Look(play(true)).Type(kWav, L"");
  EXPECT_EQ(next.PressOK().Run(*again), IDOK);
  EXPECT_EQ(Stored(versionKey), L"||10|0|0|0|");
  EXPECT_TRUE(next.boxes().empty()) << next.Describe();
}

// The file dialog browses the shell's folders only from a single-threaded
// apartment, and the console's window thread is in the multithreaded one.
TEST_F(NotificationPageTest, TheFileDialogRunsInASingleThreadedApartmentAlsoInTheConsole) {
  std::wstring apartment;
  std::vector<SeenDialog> boxes;
  OnMultithreadedThread([&] {
    auto sheet = Sheet<CNotifyDlg>(console, Target::Machine(kMachine));
    SheetSession admin;
    admin.Click(IDC_NOTIFY_BROWSE).Answer(NoteApartmentAndCancel(apartment)).PressCancel();
    EXPECT_EQ(admin.Run(*sheet), IDCANCEL);
    boxes = admin.boxes();
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Select file");
  EXPECT_EQ(apartment, L"single-threaded");
}

// A workstation's WavFile that names another server or a device is not
// opened by Play: the console would contact that server as the administrator.
// A file on this computer's drives plays.
TEST_F(NotificationPageTest, PlayOpensNoServerOrDeviceAWorkstationNames) {
  struct Case {
    std::wstring stored;
    bool played;
  } cases[] = {
      {L"\\\\attacker\\sounds\\bye.wav", false},
      {L"//attacker/sounds/bye.wav", false},
      {L"\\/attacker\\sounds\\bye.wav", false},
      {L"\\\\?\\UNC\\attacker\\sounds\\bye.wav", false},
      {L"\\??\\UNC\\attacker\\sounds\\bye.wav", false},
      {L"\\\\.\\pipe\\sounds", false},
      {L"C:\\Sounds\\com1.wav", false},  // the first serial port, in any folder
      {L"Con .wav", false},
      {L"C:\\Sounds\\bye.wav:hidden", false},
      {wav, true},
      {L"bye.wav", true},
      {L"D:bye.wav", true},
      {L"C:\\Sounds\\com10.wav", true},
  };
  for (const Case& c : cases) {
    Store(MachineKey(), L"WavFile", c.stored);
    auto sheet = Sheet<CNotifyDlg>(console, Target::Machine(kMachine));
    SheetSession admin;
    admin.Click(kPlay);
    if (!c.played) admin.Answer(IDOK);
    EXPECT_EQ(admin.PressCancel().Run(*sheet), IDCANCEL);
    std::vector<std::wstring> said;
    for (const SeenDialog& box : admin.boxes()) said.push_back(box.Text());
    std::vector<std::wstring> refused;
    if (!c.played) {
      refused.push_back(L"Can't play file " + c.stored + L": only a file on this computer's own drives can be played.");
    }
    EXPECT_EQ(said, refused) << Narrow(c.stored);
  }
}

TEST_F(NotificationPageTest, CancelAlwaysClosesAndTwoRefusedEditsNeverPassTheFocusBackAndForth) {
  Store(MachineKey(), L"UseCancelDlg", 1);
  Store(MachineKey(), L"WavFile", L"D:\\Sounds\\bye.wav");  // on the workstation only: kept as read
  auto cancelled = Sheet<CNotifyDlg>(console, Target::Machine(kMachine));
  SheetSession changedMind;
  changedMind.Do(L"tab through the path", FocusOn(kWav)).Type(kSeconds, L"0");
  changedMind.Do(L"press the mouse on Cancel", [](HWND sheet) { ::SetFocus(::GetDlgItem(sheet, IDCANCEL)); });
  EXPECT_EQ(changedMind.PressCancel().Run(*cancelled), IDCANCEL);  // released a step later
  EXPECT_TRUE(changedMind.boxes().empty()) << changedMind.Describe();

  auto sheet = Sheet<CNotifyDlg>(console, Target::Machine(kMachine));
  SheetSession admin;
  admin.Do(L"fill both wrongly, then tab from one to the other", [](HWND sheet) {
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    ::SetDlgItemTextW(page, kSeconds, L"0");
    ::SetDlgItemTextW(page, kWav, L"C:\\missing.wav");
    ::SetFocus(::GetDlgItem(page, kSeconds));
    ::SetFocus(::GetDlgItem(page, kWav));
  });
  admin.Answer(IDOK).Look([](const Controls& page) { BackIn(page, kSeconds); });
  admin.Type(kSeconds, L"15").Type(kWav, L"D:\\Sounds\\bye.wav").PressOK();
  EXPECT_EQ(admin.Run(*sheet), IDOK);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), kOutOfRange);
  EXPECT_EQ(Stored(MachineKey()), L"|D:\\Sounds\\bye.wav|15|1|1|0|");
  EXPECT_EQ(console.changes().dwordChangeMask, 0x4000u | 0x8000u | 0x10000u | 0x20000u);
  EXPECT_EQ(console.changes().stringChangeMask, 0x8u | 0x10u);

  // Without a target there is nothing to write into.
  auto nowhere = Sheet<CNotifyDlg>(console, Target());
  SheetSession lost;
  EXPECT_EQ(lost.PressOK().Answer(IDOK).Run(*nowhere), IDOK);
  EXPECT_EQ(lost.Describe(), L"[Config test] Registry key name missing -> 1\n");
}

}  // namespace
}  // namespace lullan::test
