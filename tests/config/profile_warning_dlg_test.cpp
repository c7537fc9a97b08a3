// The console's warning before it edits a machine that follows a shared
// profile: its words, its three answers, and room for the longest names.
#include "profile_warning_dlg.h"

#include <gtest/gtest.h>

#include "config_fixture.h"
#include "resource.h"

namespace lullan::test {
namespace {

using config::CProfileWarningDlg;

// The pixels the static's text needs, with its own font and word breaking,
// against the pixels it has.
std::pair<int, int> NeededAndAvailableHeight(HWND text) {
  RECT box{};
  ::GetClientRect(text, &box);
  struct WindowDc {
    HWND window;
    HDC dc;
    ~WindowDc() { ::ReleaseDC(window, dc); }
  } dc{text, ::GetDC(text)};
  ::SelectObject(dc.dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(text, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, box.right, 0};
  ::DrawTextW(dc.dc, DialogAnswerer::WindowText(text).c_str(), -1, &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  return {needed.bottom, box.bottom};
}

TEST(ProfileWarning, ItNamesTheMachineAndTheProfileTwiceAndAnswersWithItsButtons) {
  struct Case {
    unsigned button;
    INT_PTR result;
  } cases[] = {{IDC_PROFILE_WARNING_CONTINUE, 6}, {IDC_PROFILE_WARNING_EDIT_PROFILE, 7}, {IDCANCEL, 2}};
  for (const Case& c : cases) {
    CProfileWarningDlg warning(L"PC-017", L"stdLogoff");
    ModalSession admin;
    admin
        .Look([](const Controls& dialog) {
          EXPECT_EQ(DialogAnswerer::WindowText(dialog.parent), L"Warning: shared profile assigned");
          EXPECT_EQ(dialog.Text(IDC_PROFILE_WARNING_TEXT),
                    L"Machine 'PC-017' is using shared profile 'stdLogoff'. The profile overrides PC-017's custom "
                    L"configuration. It is recommended that you remove the shared profile from this machine if you "
                    L"change its settings, or else edit profile 'stdLogoff' (the changes will then apply to all "
                    L"machines using this profile).");
          EXPECT_EQ(dialog.Label(IDC_PROFILE_WARNING_CONTINUE), L"Continue");
          EXPECT_EQ(dialog.Label(IDC_PROFILE_WARNING_EDIT_PROFILE), L"Edit Profile");
          EXPECT_EQ(dialog.Label(IDCANCEL), L"Cancel");
        })
        .Click(c.button);
    EXPECT_EQ(admin.Run(warning), c.result);
  }
}

TEST(ProfileWarning, TheWholeTextShowsWithTheWidestNamesAMachineAndAProfileCanHave) {
  // 'W' is the widest letter; a name of it has no place to break but between letters.
  CProfileWarningDlg warning(std::wstring(15, L'W'), std::wstring(63, L'W'));
  ModalSession admin;
  admin
      .Look([](const Controls& dialog) {
        auto [needed, available] = NeededAndAvailableHeight(dialog.Item(IDC_PROFILE_WARNING_TEXT));
        EXPECT_LE(needed, available);
        EXPECT_NE(dialog.Text(IDC_PROFILE_WARNING_TEXT).find(std::wstring(63, L'W') + L"' (the changes"),
                  std::wstring::npos);
      })
      .PressCancel();
  EXPECT_EQ(admin.Run(warning), IDCANCEL);
}

}  // namespace
}  // namespace lullan::test
