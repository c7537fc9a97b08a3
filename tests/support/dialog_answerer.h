// Answers the real message boxes and modal dialogs a test provokes, the way an
// administrator at the machine would: a thread-local WH_CBT hook sees each
// dialog ("#32770") as it is activated, records its caption and static texts,
// and presses the button the test scripted for it.
//
//   DialogAnswerer dialogs;
//   dialogs.Answer(IDNO);                 // "Enable daily logoff?" -> No
//   page.ClickSet();
//   EXPECT_EQ(dialogs.seen().at(0).caption, L"...");
//
// A dialog nobody scripted is cancelled and recorded with answer kUnscripted,
// so a test sees boxes it did not expect instead of hanging on them.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace lullan::test {

struct SeenDialog {
  std::wstring caption;
  std::vector<std::wstring> texts;  // the dialog's static texts, in child order
  int answer;                       // the button pressed, or kUnscripted
  // The static texts joined with " | ", for assertions and failure messages.
  std::wstring Text() const;
};

class DialogAnswerer {
 public:
  static constexpr int kUnscripted = -1;
  using Action = std::function<void(HWND dialog)>;

  DialogAnswerer();  // hooks the calling thread
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // The next dialog is answered by pressing `button` (IDOK, IDYES, a control id).
  DialogAnswerer& Answer(int button);
  // The next dialog is handed to `action`, which fills it in and presses a
  // button itself (PressButton below).
  DialogAnswerer& Answer(Action action);
  // Dialogs for which `isDriven` answers true are neither answered nor
  // recorded: a session (dialog_session.h) drives them itself.
  void LeaveAlone(std::function<bool(HWND)> isDriven) { leaveAlone_ = std::move(isDriven); }

  // Dialogs that another thread of this process shows, owned by a window of
  // this thread (the common dialogs, shown from a short-lived thread of
  // their own), which the hook cannot see: answered from here, in turn with
  // this thread's own. A session calls it while its window waits.
  void AnswerOtherThreads();

  const std::vector<SeenDialog>& seen() const { return seen_; }
  size_t pending() const { return script_.size(); }  // scripted answers not used yet
  // Every dialog seen, one per line, for failure messages.
  std::wstring Describe() const;

  // Presses a button of a dialog by posting its BN_CLICKED notification.
  static void PressButton(HWND dialog, int id);
  static std::wstring WindowText(HWND window);
  // A dialog's non-empty static texts, in child order (works across processes).
  static std::vector<std::wstring> StaticTexts(HWND dialog);
  // The visible dialog boxes of another process, in z-order (for drivers of
  // a program started from a test).
  static std::vector<HWND> VisibleDialogsOf(DWORD processId);

 private:
  struct Step {
    int button;
    Action action;
  };
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  void OnActivate(HWND window);

  HHOOK hook_ = nullptr;
  DialogAnswerer* previous_ = nullptr;
  std::deque<Step> script_;
  std::vector<SeenDialog> seen_;
  std::vector<HWND> answered_;
  std::function<bool(HWND)> leaveAlone_;
};

}  // namespace lullan::test
