// Sessions on the dialogs the console's buttons open from within another
// dialog, the answers an administrator gives the small ones, and what the
// tests read from the shared profiles dialog and the profiles' keys.
//
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

#include "dialog_session.h"

namespace lullan::test {

// The windows of this thread that are not child windows.
std::vector<HWND> ThreadWindows();
// The dialogs and sheets among them that `owner` owns.
std::vector<HWND> OwnedDialogs(HWND owner);

// A session on a dialog or sheet that a button of another window opens:
// the first dialog that window comes to own after the click. The windows
// that were there before (the one clicked, the window under it) are left
// alone when they become active again; boxes that come up after the opened
// window has closed, before the click's work is done, are answered from
// this session's script.
template <typename Session>
class OpenedSession : public Session {
 public:
  // Clicks `button` of `owner` and runs the steps; returns when the click's work is done.
  void ClickToOpen(HWND owner, unsigned button) {
    auto before = std::make_shared<std::vector<HWND>>();
    auto opened = std::make_shared<HWND>(nullptr);
    auto window = [owner, before, opened] {
      if (!*opened) {
        for (HWND dialog : OwnedDialogs(owner)) {
          if (std::find(before->begin(), before->end(), dialog) == before->end()) *opened = dialog;
        }
      }
      return *opened && ::IsWindow(*opened) ? *opened : nullptr;
    };
    this->Run(window, [this, owner, button, before, window] {
      *before = ThreadWindows();
      this->answerer().LeaveAlone([before, window](HWND activated) {
        return activated == window() || std::find(before->begin(), before->end(), activated) != before->end();
      });
      ::SendMessageW(::GetDlgItem(owner, static_cast<int>(button)), BM_CLICK, 0, 0);
      return INT_PTR{0};
    });
  }
};

// Answers "Add new shared profile": types `name` and presses OK.
DialogAnswerer::Action NewProfileName(std::wstring name);
// Answers the profile chooser of "Assign Profile": selects `profile` (none
// when empty) and presses "Assign".
DialogAnswerer::Action ChooseProfile(std::wstring profile);

// The entries of the shared profiles dialog's list, top to bottom.
std::vector<std::wstring> ProfileEntries(const Controls& dialog);
// Selects the entry `profile` of that list, as a click on it would.
void SelectProfile(HWND dialog, const std::wstring& profile);

// The access control entries of a key under HKEY_LOCAL_MACHINE, in order,
// as "allow 0x20019 S-1-1-0"; empty when its security cannot be read.
std::vector<std::wstring> KeyAcl(const std::wstring& path);

}  // namespace lullan::test
