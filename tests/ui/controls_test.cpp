// The common-control helpers, each against the real control.
#include "controls.h"

#include <gtest/gtest.h>

#include "dialog.h"
#include "test_dialogs.h"

namespace lullan::ui {
namespace {

// Descending order of the rows' item data.
int CALLBACK Descending(LPARAM a, LPARAM b, LPARAM) { return a < b ? 1 : a > b ? -1 : 0; }

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest() { EXPECT_TRUE(dialog.Create(nullptr)); }
  CDialog dialog{IDD_CONTROLS};
};

TEST_F(ControlsTest, AListViewTakesColumnsRowsDataAndSelections) {
  CListView list(dialog.Item(IDC_LIST));
  EXPECT_EQ(list.InsertColumn(0, L"Computer "), 0);
  EXPECT_EQ(list.ColumnWidth(0), list.StringWidth(L"Computer ")) << "a column without width is as wide as its heading";
  EXPECT_EQ(list.InsertColumn(1, L"OS Ver", 80), 1);
  EXPECT_EQ(list.ColumnWidth(1), 80);

  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
  EXPECT_EQ(images.AddIconResource(IDI_TEST), 0);
  EXPECT_EQ(images.AddIconResource(9999), -1) << "no such icon";
  EXPECT_EQ(images.Count(), 1);
  list.SetImageList(images.get());

  const wchar_t* names[] = {L"PC-001", L"PC-002", L"PC-003"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list.InsertItem(list.ItemCount(), names[i], 100 + i, 0), i);
    EXPECT_TRUE(list.SetSubItem(i, 1, L"Win2000"));
  }
  EXPECT_EQ(list.GetItemText(1, 0), L"PC-002");
  EXPECT_EQ(list.GetItemText(1, 1), L"Win2000");
  EXPECT_EQ(list.GetItemText(1, 0, 4), L"PC-0") << "read at most that many characters";
  EXPECT_EQ(list.GetItemData(2), 102);
  EXPECT_EQ(list.FindItem(L"PC-003"), 2);
  EXPECT_EQ(list.FindItem(L"PC-00"), -1) << "whole texts only";

  EXPECT_EQ(list.GetNextSelected(), -1);
  list.Select(0, true);
  list.Select(2, true);
  EXPECT_EQ(list.SelectedCount(), 2);
  EXPECT_EQ(list.GetNextSelected(), 0);
  EXPECT_EQ(list.GetNextSelected(0), 2);
  EXPECT_EQ(list.GetNextSelected(2), -1);

  EXPECT_TRUE(list.Sort(&Descending, 0));
  EXPECT_EQ(list.GetItemText(0, 0), L"PC-003");
  EXPECT_TRUE(list.DeleteItem(0));
  EXPECT_EQ(list.ItemCount(), 2);
  EXPECT_TRUE(list.DeleteAll());
  EXPECT_EQ(list.ItemCount(), 0);
}

TEST_F(ControlsTest, BarsAndSpinsKeepTheirRangesAndPositions) {
  CProgressBar progress(dialog.Item(IDC_PROGRESS));
  progress.SetRange(0, 4);
  progress.SetPos(0);
  EXPECT_EQ(progress.DeltaPos(1), 0) << "the position before the step";
  progress.DeltaPos(1);
  EXPECT_EQ(progress.Pos(), 2);

  CTrackbar trackbar(dialog.Item(IDC_TRACKBAR));
  trackbar.SetRange(0, 3);
  trackbar.SetPos(7);
  EXPECT_EQ(trackbar.Pos(), 3) << "kept within its range";

  CUpDown spin(dialog.Item(IDC_SPIN));
  spin.SetBuddy(dialog.Item(IDC_SPIN_EDIT));
  spin.SetRange(1, 120);
  spin.SetPos(45);
  EXPECT_EQ(spin.Pos(), 45);
  EXPECT_EQ(dialog.GetItemText(IDC_SPIN_EDIT), L"45");

  CStatusBar status(CStatusBar::Create(dialog, IDC_STATUS));
  ASSERT_NE(status.window(), nullptr);
  status.SetSimple(true);
  EXPECT_TRUE(status.SetSimpleText(L"Finding computer information, please wait..."));
  EXPECT_NE(status.Send(SB_ISSIMPLE), 0);
  // In simple mode the one pane answers for part 0 (Wine answers nothing for 255).
  wchar_t shown[64] = {};
  LRESULT length = status.Send(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(HIWORD(length), SBT_NOBORDERS) << "the simple pane has no borders";
  EXPECT_STREQ(shown, L"Finding computer information, please wait...");
}

}  // namespace
}  // namespace lullan::ui
