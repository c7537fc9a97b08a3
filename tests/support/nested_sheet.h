// Steps for a property sheet that a step of another session opens: the
// configuration sheet of the console's "Configure", or of the shared
// profiles dialog's "Edit". The session's Answer hands the sheet to these
// steps as it appears; they run one at a time from the sheet's own message
// loop, on its current page, as a SheetSession's steps do, and the boxes
// they provoke are answered by the session's own script, in order.
//
//   NestedSheet sheet;
//   sheet.OnPage(L"General").Type(IDC_GENERAL_IDLE_MINUTES, L"45").PressOK();
//   ConsoleSession admin;
//   admin.WaitForScan().Select({L"PC-1"}).Click(IDC_CONFIGURE).Answer(sheet.Drive()).Exit();
//   EXPECT_EQ(sheet.caption(), L"Configuration for PC-1");
//
// The test fails when the sheet closes before the last step, or is still
// open after it (it is then cancelled, so nothing hangs).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialog_session.h"

namespace lullan::test {

class NestedSheet {
 public:
  using Step = DialogSession::Step;  // given the sheet

  NestedSheet();
  ~NestedSheet();
  NestedSheet(const NestedSheet&) = delete;
  NestedSheet& operator=(const NestedSheet&) = delete;

  NestedSheet& OnPage(std::wstring caption);
  NestedSheet& Type(unsigned id, std::wstring text);
  NestedSheet& Click(unsigned id);
  NestedSheet& Slide(unsigned id, int position);
  NestedSheet& Look(std::function<void(const Controls&)> look);  // the current page's controls
  NestedSheet& Do(std::wstring what, Step step);
  NestedSheet& PressOK();
  NestedSheet& PressCancel();

  // The answer to give the session for the sheet. The steps run while this
  // object lives.
  DialogAnswerer::Action Drive();

  // What the sheet showed when it came up: its caption and its pages' tabs.
  const std::wstring& caption() const { return state_->caption; }
  const std::vector<std::wstring>& pages() const { return state_->pages; }
  // Whether the sheet came up at all.
  bool shown() const { return state_->sheet != nullptr; }

 private:
  struct Pending {
    std::wstring what;
    Step step;
  };
  struct State {
    std::deque<Pending> steps;
    HWND sheet = nullptr;
    UINT_PTR timer = 0;
    int waits = 0;
    std::wstring caption;
    std::vector<std::wstring> pages;
  };
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  static void OnTick(State& state);

  NestedSheet& Add(std::wstring what, Step step);
  std::unique_ptr<State> state_;
};

}  // namespace lullan::test
