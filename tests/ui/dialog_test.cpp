// The dialog base: what reaches which handler, how modal and modeless
// dialogs end, and that a handler's exception stops its command with a box
// instead of ending the program.
#include "dialog.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "dialog_session.h"
#include "message_box.h"
#include "test_dialogs.h"

namespace lullan::test {
namespace {

// Writes down every handler call, in order.
class RecorderDialog final : public ui::CDialog {
 public:
  RecorderDialog() : CDialog(IDD_RECORDER) {}
  std::vector<std::wstring> calls;
  std::wstring nameAtOK;

 protected:
  bool OnInitDialog() override {
    calls.push_back(L"init");
    SetItemText(IDC_NAME, L"start");
    return true;
  }
  bool OnCommand(unsigned code, unsigned id, HWND control) override {
    if (code == EN_CHANGE && id == IDC_NAME) calls.push_back(L"name changed: " + GetItemText(IDC_NAME));
    return CDialog::OnCommand(code, id, control);
  }
  bool OnButtonClicked(unsigned id, HWND button) override {
    if (id == IDC_THROW) throw std::runtime_error("disk on fire");
    if (id == IDC_OPTION) calls.push_back(IsButtonChecked(IDC_OPTION) ? L"option on" : L"option off");
    return CDialog::OnButtonClicked(id, button);
  }
  void OnOK() override {
    calls.push_back(L"OK");
    nameAtOK = GetItemText(IDC_NAME);
    CDialog::OnOK();
  }
  void OnCancel() override {
    calls.push_back(L"Cancel");
    CDialog::OnCancel();
  }
};

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() { ui::SetProgramTitle(L"Framework test"); }
  RecorderDialog dialog;
};

TEST_F(DialogTest, ControlsReachTheirHandlersAndOKEndsTheDialogWithIDOK) {
  ModalSession admin;
  admin.Look([](const Controls& controls) { EXPECT_EQ(controls.Text(IDC_NAME), L"start"); })
      .Type(IDC_NAME, L"PC-017")
      .Click(IDC_OPTION)
      .Click(IDC_OPTION)
      .PressOK();
  EXPECT_EQ(admin.Run(dialog), IDOK);
  // The dialog's own filling of the edit is a change like any other.
  EXPECT_EQ(dialog.calls, (std::vector<std::wstring>{L"init", L"name changed: start", L"name changed: PC-017",
                                                     L"option on", L"option off", L"OK"}));
  EXPECT_EQ(dialog.nameAtOK, L"PC-017");
  EXPECT_EQ(dialog.window(), nullptr) << "the object lets go of its window when the window goes";
  EXPECT_TRUE(admin.boxes().empty()) << admin.Describe();
}

TEST_F(DialogTest, EscAndTheCloseBoxArriveAsCancel) {
  ModalSession escape;
  escape.Do(L"press Esc", [](HWND window) {
    // Through the dialog's message loop, as a key press arrives.
    ::PostMessageW(::GetDlgItem(window, IDC_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(escape.Run(dialog), IDCANCEL);
  EXPECT_EQ(dialog.calls.back(), L"Cancel");

  RecorderDialog closed;
  ModalSession closeBox;
  closeBox.Do(L"click the close box", [](HWND window) { ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(closeBox.Run(closed), IDCANCEL);
  EXPECT_EQ(closed.calls.back(), L"Cancel");
}

TEST_F(DialogTest, AHandlerThatThrowsIsReportedAndTheDialogGoesOn) {
  ModalSession admin;
  admin.Click(IDC_THROW).Answer(IDOK).Type(IDC_NAME, L"still here").PressOK();
  EXPECT_EQ(admin.Run(dialog), IDOK);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].caption, L"Framework test");
  EXPECT_EQ(admin.boxes()[0].Text(), L"The command could not be completed: disk on fire");
  EXPECT_EQ(dialog.nameAtOK, L"still here");
}

TEST_F(DialogTest, AModelessDialogLivesUntilDestroyedOrUntilItsObjectGoes) {
  ASSERT_TRUE(dialog.Create(nullptr));
  HWND window = dialog.window();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(dialog.IsModal());
  EXPECT_EQ(::GetWindowLongPtrW(window, DWLP_USER), reinterpret_cast<LONG_PTR>(&dialog));
  // OK in a modeless dialog destroys it rather than ending a modal loop.
  ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(dialog.window(), nullptr);
  EXPECT_EQ(dialog.calls.back(), L"OK");

  HWND orphan = nullptr;
  {
    RecorderDialog shortLived;
    ASSERT_TRUE(shortLived.Create(nullptr));
    orphan = shortLived.window();
  }
  EXPECT_FALSE(::IsWindow(orphan)) << "a window whose object is gone would dispatch to freed memory";
}

}  // namespace
}  // namespace lullan::test
