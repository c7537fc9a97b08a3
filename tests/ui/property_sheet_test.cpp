// The property page and sheet bases: pages are created as they are shown,
// only shown pages take part in OK, in page order, and a page that refuses
// to be left keeps the user, and the sheet, where they are.
#include "property_sheet.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "dialog_session.h"
#include "message_box.h"
#include "property_page.h"
#include "test_dialogs.h"

namespace lullan::test {
namespace {

// A page that writes its text into a log the test shares with every page,
// and can be told to insist on a text before it may be left.
class LoggingPage final : public ui::CPropertyPage {
 public:
  LoggingPage(unsigned templateId, std::wstring name, std::vector<std::wstring>& log)
      : CPropertyPage(templateId), name_(std::move(name)), log_(log) {}
  bool insistOnText = false;
  bool throwOnApply = false;
  bool refuseApply = false;
  std::wstring text;

 protected:
  bool OnSetActive() override {
    log_.push_back(name_ + L" shown");
    return true;
  }
  bool OnKillActive() override {
    text = GetItemText(IDC_PAGE_TEXT);
    if (insistOnText && text.empty()) {
      // A box inside the handler runs a dialog of its own before the answer
      // is given: the answer must still reach the sheet.
      ui::ShowMessage(window(), L"Fill in the text first.");
      SetFocusTo(IDC_PAGE_TEXT);
      return false;
    }
    return true;
  }
  bool OnApply() override {
    if (throwOnApply) throw std::runtime_error("registry on fire");
    if (refuseApply) {
      log_.push_back(name_ + L" refused");
      refuseApply = false;  // once
      return false;
    }
    log_.push_back(name_ + L" wrote \"" + GetItemText(IDC_PAGE_TEXT) + L"\"");
    return true;
  }
  void OnReset() override { log_.push_back(name_ + L" cancelled"); }

 private:
  std::wstring name_;
  std::vector<std::wstring>& log_;
};

class PropertySheetTest : public ::testing::Test {
 protected:
  PropertySheetTest() {
    ui::SetProgramTitle(L"Framework test");
    sheet.AddPage(first);
    sheet.AddPage(second);
    sheet.AddPage(third);
  }
  std::vector<std::wstring> log;
  LoggingPage first{IDD_FIRST_PAGE, L"first", log};
  LoggingPage second{IDD_SECOND_PAGE, L"second", log};
  LoggingPage third{IDD_THIRD_PAGE, L"third", log};
  ui::CPropertySheet sheet{L"Three pages", PSH_NOAPPLYNOW};
};

TEST_F(PropertySheetTest, OnlyShownPagesAreCreatedAndOnlyTheyWriteInPageOrder) {
  SheetSession admin;
  admin
      .Do(L"check the pages",
          [&](HWND window) {
            EXPECT_EQ(sheet.window(), window);
            EXPECT_NE(first.window(), nullptr);
            EXPECT_EQ(second.window(), nullptr) << "a page is created the first time it is shown";
            EXPECT_EQ(third.window(), nullptr);
          })
      .OnPage(L"Third")
      .Type(IDC_PAGE_TEXT, L"three")
      .OnPage(L"First")
      .Type(IDC_PAGE_TEXT, L"one")
      .PressOK();
  EXPECT_EQ(admin.Run(sheet), IDOK);

  EXPECT_EQ(log, (std::vector<std::wstring>{L"first shown", L"third shown", L"first shown", L"first wrote \"one\"",
                                            L"third wrote \"three\""}));
  EXPECT_TRUE(first.WasShown());
  EXPECT_FALSE(second.WasShown());
  EXPECT_EQ(second.AppliedCount(), 0) << "a page never shown gets no PSN_APPLY";
  EXPECT_EQ(third.AppliedCount(), 1);
  EXPECT_EQ(sheet.window(), nullptr);
}

TEST_F(PropertySheetTest, APageThatRefusesToBeLeftKeepsTheUserAndTheSheetUntilItIsSatisfied) {
  first.insistOnText = true;
  SheetSession admin;
  admin.OnPage(L"Second")
      .Answer(IDOK)
      .Do(L"still on the first page",
          [&](HWND window) {
            EXPECT_EQ(SheetSession::CurrentPage(window), L"First");
            EXPECT_EQ(second.window(), nullptr);
          })
      .PressOK()
      .Answer(IDOK)
      .Look([](const Controls& page) { EXPECT_TRUE(page.Focused(IDC_PAGE_TEXT)); })
      .Type(IDC_PAGE_TEXT, L"now")
      .PressOK();
  EXPECT_EQ(admin.Run(sheet), IDOK);

  ASSERT_EQ(admin.boxes().size(), 2u) << admin.Describe();
  for (const SeenDialog& box : admin.boxes()) EXPECT_EQ(box.Text(), L"Fill in the text first.");
  EXPECT_EQ(log, (std::vector<std::wstring>{L"first shown", L"first wrote \"now\""}))
      << "a refused OK writes nothing, not even through pages already left";
  EXPECT_FALSE(second.WasShown());
}

TEST_F(PropertySheetTest, APageThatRefusesToWriteIsBroughtToTheFrontAndTheSheetStaysOpen) {
  third.refuseApply = true;
  SheetSession admin;
  admin.OnPage(L"Third")
      .OnPage(L"First")
      .PressOK()
      .Do(L"on the refusing page", [](HWND window) { EXPECT_EQ(SheetSession::CurrentPage(window), L"Third"); })
      .PressOK();
  EXPECT_EQ(admin.Run(sheet), IDOK);
  // Pages before the refusing one have written by then: a page that must
  // stop OK altogether refuses to be left instead (above). (Whether the page
  // brought to the front hears PSN_SETACTIVE differs between versions of the
  // control, so only the writes are compared.)
  std::vector<std::wstring> writes;
  for (const std::wstring& entry : log) {
    if (!entry.ends_with(L" shown")) writes.push_back(entry);
  }
  EXPECT_EQ(writes, (std::vector<std::wstring>{L"first wrote \"\"", L"third refused", L"first wrote \"\"",
                                               L"third wrote \"\""}));
}

TEST_F(PropertySheetTest, CancelWritesNothingAndTellsEveryShownPage) {
  SheetSession admin;
  admin.OnPage(L"Second").Type(IDC_PAGE_TEXT, L"forgotten").PressCancel();
  EXPECT_EQ(admin.Run(sheet), IDCANCEL);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"first shown", L"second shown", L"first cancelled", L"second cancelled"}));
  EXPECT_EQ(first.AppliedCount() + second.AppliedCount() + third.AppliedCount(), 0);
}

TEST_F(PropertySheetTest, AWriteThatThrowsIsReportedAndKeepsTheSheetOpen) {
  second.throwOnApply = true;
  SheetSession admin;
  admin.OnPage(L"Second")
      .PressOK()
      .Answer(IDOK)
      .Do(L"the sheet is still open", [](HWND window) { EXPECT_TRUE(::IsWindowVisible(window)); })
      .PressCancel();
  EXPECT_EQ(admin.Run(sheet), IDCANCEL);
  ASSERT_EQ(admin.boxes().size(), 1u) << admin.Describe();
  EXPECT_EQ(admin.boxes()[0].Text(), L"The command could not be completed: registry on fire");
  EXPECT_EQ(third.window(), nullptr);
}

}  // namespace
}  // namespace lullan::test
