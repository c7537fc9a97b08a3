// Drives a real modal dialog or property sheet the way an administrator at
// the machine would: each step runs from the window's own message loop once
// the window is up and no box covers it, one step at a time; the message
// boxes the steps provoke are answered in the order they appear.
//
//   SheetSession admin;
//   admin.OnPage(L"Tuning")
//       .Type(IDC_TUNING_NET_BYTES, L"250abc")
//       .Click(IDC_TUNING_IGNORE_KERNEL)
//       .PressOK();
//   EXPECT_EQ(admin.Run(sheet), IDOK);
//
// A session fails the test when the window closes before its last step, or
// is still open after it (it is then cancelled, so nothing hangs). A box
// nobody scripted is cancelled and shows up in boxes().
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "dialog_answerer.h"

namespace lullan::test {

// A look at the controls of a dialog or of a sheet's current page.
struct Controls {
  HWND parent;

  HWND Item(unsigned id) const { return ::GetDlgItem(parent, static_cast<int>(id)); }
  std::wstring Text(unsigned id) const { return DialogAnswerer::WindowText(Item(id)); }
  // A button's or label's text as the user reads it, without the '&' of its mnemonic.
  std::wstring Label(unsigned id) const;
  bool Checked(unsigned id) const { return ::IsDlgButtonChecked(parent, static_cast<int>(id)) == BST_CHECKED; }
  bool Enabled(unsigned id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
  bool ReadOnly(unsigned id) const { return (::GetWindowLongPtrW(Item(id), GWL_STYLE) & ES_READONLY) != 0; }
  bool Focused(unsigned id) const { return ::GetFocus() == Item(id); }
  int TrackbarPosition(unsigned id) const;
  // The static texts (labels, group boxes), in child order, without the '&'
  // that marks a mnemonic.
  std::vector<std::wstring> Labels() const;
};

// What the steps below do, for drivers of their own (nested_sheet.h): to the
// control `id` of `parent` (a dialog or a sheet's page), and to a sheet.
void TypeInto(HWND parent, unsigned id, const std::wstring& text);
void ClickOn(HWND parent, unsigned id);
void SlideTo(HWND parent, unsigned id, int position);
// The text of the tab at `index`, and every page's tab, left to right.
std::wstring TabText(HWND tabs, int index);
std::vector<std::wstring> PageCaptions(HWND sheet);
// Goes to the page whose tab reads `caption`, as a click on the tab does.
void GoToPage(HWND sheet, const std::wstring& caption);

// The engine under the sessions below: steps, boxes and the run.
class DialogSession {
 public:
  using Step = std::function<void(HWND window)>;

  DialogSession();
  virtual ~DialogSession();
  DialogSession(const DialogSession&) = delete;
  DialogSession& operator=(const DialogSession&) = delete;

  // Opens the window with `open` (which returns when it has closed) and runs
  // the steps on the window `window` names; returns what `open` returned.
  INT_PTR Run(std::function<HWND()> window, std::function<INT_PTR()> open);
  // Any dialog or sheet object with window() and DoModal(HWND owner).
  template <typename Modal>
  INT_PTR Run(Modal& modal) {
    return Run([&modal] { return modal.window(); }, [&modal] { return modal.DoModal(nullptr); });
  }

  // The boxes that appeared, in order, and one line each for messages.
  const std::vector<SeenDialog>& boxes() const { return answerer_.seen(); }
  std::wstring Describe() const { return answerer_.Describe(); }

 protected:
  // The window whose controls the steps address: the dialog itself, or a
  // sheet's current page.
  virtual HWND ControlParent(HWND window) const { return window; }

  void AddStep(std::wstring what, Step step);
  void AddType(unsigned id, std::wstring text);
  void AddClick(unsigned id);
  void AddSlide(unsigned id, int position);
  void AddLook(std::function<void(const Controls&)> look);
  DialogAnswerer& answerer() { return answerer_; }

 private:
  struct Pending {
    std::wstring what;
    Step step;
  };
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void OnTick();
  void Schedule();

  DialogAnswerer answerer_;
  std::deque<Pending> steps_;
  std::function<HWND()> window_;
  UINT_PTR timer_ = 0;
  int waits_ = 0;
  bool stepping_ = false;  // a step is running
};

// The steps every session offers, each returning the session for the next.
template <typename Self>
class SessionSteps : public DialogSession {
 public:
  // A step of the test's own; `what` names it in failure messages.
  Self& Do(std::wstring what, Step step) {
    AddStep(std::move(what), std::move(step));
    return self();
  }
  // Types `text` into an edit as a paste would: the edit gets the focus, its
  // text is replaced, and its length limit applies.
  Self& Type(unsigned id, std::wstring text) {
    AddType(id, std::move(text));
    return self();
  }
  // Clicks a button, check box or radio (the control takes the focus, as
  // under the mouse).
  Self& Click(unsigned id) {
    AddClick(id);
    return self();
  }
  // Moves a trackbar to `position` with the keyboard (Home, then Right).
  Self& Slide(unsigned id, int position) {
    AddSlide(id, position);
    return self();
  }
  Self& Look(std::function<void(const Controls&)> look) {
    AddLook(std::move(look));
    return self();
  }
  // The next box is answered with `button`, or handed to `action`.
  Self& Answer(int button) {
    answerer().Answer(button);
    return self();
  }
  Self& Answer(DialogAnswerer::Action action) {
    answerer().Answer(std::move(action));
    return self();
  }

 private:
  Self& self() { return static_cast<Self&>(*this); }
};

// A session on a property sheet: controls are those of the current page.
class SheetSession : public SessionSteps<SheetSession> {
 public:
  // Goes to the page whose tab reads `caption`, as a click on the tab does
  // (the current page may refuse to be left).
  SheetSession& OnPage(std::wstring caption);
  SheetSession& PressOK();
  SheetSession& PressCancel();

  // The caption of the selected tab (PageCaptions gives every tab's).
  static std::wstring CurrentPage(HWND sheet);
  // The property sheet this thread shows under `caption`, or null.
  static HWND FindSheet(const std::wstring& caption);

 protected:
  HWND ControlParent(HWND sheet) const override;
};

// A session on a dialog: OK and Cancel are its own buttons.
class ModalSession : public SessionSteps<ModalSession> {
 public:
  ModalSession& PressOK() { return Click(IDOK); }
  ModalSession& PressCancel() { return Click(IDCANCEL); }
};

}  // namespace lullan::test
