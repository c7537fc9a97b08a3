// The console on a profile server with shared profiles, at 14:05 by the
// console's clock, and what the tests of the shared profiles and their
// assignment need besides: sessions on dialogs that a button of another
// window opens, the answers to the small dialogs, and the security of keys.
//
//   Profile(L"stdLogoff");
//   admin.WaitForScan().Do(L"open the shared profiles", [](HWND panel) {
//     OpenedSession<ModalSession> profiles;
//     profiles.Click(IDC_ADD_PROFILE).Answer(NewProfileName(L"Finance")).PressCancel();
//     profiles.ClickToOpen(panel, IDC_SHARED_PROFILES);
//   });
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "console_fixture.h"

namespace lullan::test {

class ProfileServerTest : public ConsoleTest {
 protected:
  ProfileServerTest();

  std::wstring ProfilesKey() const { return consoleKey + L"\\Profiles"; }
  std::wstring ProfileKey(const std::wstring& profile) const { return ProfilesKey() + L"\\" + profile; }
  // A profile as setup or an earlier Add left it, with one group.
  void Profile(const std::wstring& profile);

  // Every box and dialog a session met, as "caption: static texts".
  static std::vector<std::wstring> Texts(const DialogSession& session);
  // A message box of the console, as Texts shows it.
  static std::wstring Box(const std::wstring& text);

  FixedClock clock;  // 14:05 on the console

 private:
  ScopedPlatform stamps_;
};

// The windows of this thread that are not child windows.
std::vector<HWND> ThreadWindows();

// A session on the dialog or sheet that a button of another window opens:
// the first window to come up after the click. The windows that were there
// before are left alone when they become active again; boxes that come up
// once the opened window has closed, before the click's work is done, are
// answered from this session's script.
template <typename Session>
class OpenedSession : public Session {
 public:
  void ClickToOpen(HWND owner, unsigned button) {
    auto before = std::make_shared<std::vector<HWND>>();
    auto opened = std::make_shared<HWND>(nullptr);
    this->Run([opened] { return ::IsWindow(*opened) ? *opened : nullptr; },
              [this, owner, button, before, opened] {
                *before = ThreadWindows();
                this->answerer().LeaveAlone([before, opened](HWND activated) {
                  bool known = std::find(before->begin(), before->end(), activated) != before->end();
                  if (!*opened && !known) *opened = activated;
                  return known || activated == *opened;
                });
                ::SendMessageW(::GetDlgItem(owner, static_cast<int>(button)), BM_CLICK, 0, 0);
                return INT_PTR{0};
              });
  }
};

// Answers "Add new shared profile" with `name` and OK.
DialogAnswerer::Action NewProfileName(std::wstring name);
// Answers the chooser of "Assign Profile": selects `profile` (none when
// empty) and presses "Assign".
DialogAnswerer::Action ChooseProfile(std::wstring profile);

// The entries of the shared profiles dialog's list, top to bottom, and the
// selection of one of them.
std::vector<std::wstring> ProfileEntries(const Controls& dialog);
void SelectProfile(HWND dialog, const std::wstring& profile);

// The entries of a key's DACL (under HKEY_LOCAL_MACHINE), in order, as
// "type 0 flags 0x0 mask 0x20019 S-1-1-0"; empty when it cannot be read.
std::vector<std::wstring> KeyAcl(const std::wstring& path);

}  // namespace lullan::test
