// One-line helpers for the common controls the suite's dialogs use. Each is
// a CWindow over a control that the dialog owns:
//
//   CListView list(Item(IDC_MACHINES));
//   int row = list.InsertItem(list.ItemCount(), name, reinterpret_cast<LPARAM>(record), 2);
//   list.SetSubItem(row, 1, L"Win2000");
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "ui_handles.h"
#include "window.h"

namespace lullan::ui {

class CListView : public CWindow {
 public:
  using CWindow::CWindow;

  // Columns are inserted with the given width, or the heading's width
  // measured by the list (plus `extra`) when `width` is negative.
  int InsertColumn(int column, std::wstring_view heading, int width = -1, int extra = 0) const;
  bool SetColumnWidth(int column, int width) const { return Send(LVM_SETCOLUMNWIDTH, column, width) != 0; }
  int ColumnWidth(int column) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, column)); }
  int StringWidth(std::wstring_view text) const;
  void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }
  HIMAGELIST SetImageList(HIMAGELIST images, int which = LVSIL_SMALL) const {
    return reinterpret_cast<HIMAGELIST>(Send(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(images)));
  }

  int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  // The new row's index, or -1.
  int InsertItem(int row, std::wstring_view text, LPARAM data = 0, int image = -1) const;
  bool SetSubItem(int row, int column, std::wstring_view text) const;
  bool SetItemImage(int row, int image) const;
  std::wstring GetItemText(int row, int column, size_t maxChars = 260) const;
  LPARAM GetItemData(int row) const;
  bool DeleteItem(int row) const { return Send(LVM_DELETEITEM, row) != 0; }
  bool DeleteAll() const { return Send(LVM_DELETEALLITEMS) != 0; }
  // The row of that exact text in column 0, or -1.
  int FindItem(std::wstring_view text) const;

  // Selection: the next selected row after `after` (-1: the first), or -1.
  int GetNextSelected(int after = -1) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
  }
  int SelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }
  bool Select(int row, bool selected) const;

  // Sorts by `compare` over the rows' item data.
  bool Sort(PFNLVCOMPARE compare, LPARAM parameter) const {
    return Send(LVM_SORTITEMS, static_cast<WPARAM>(parameter), reinterpret_cast<LPARAM>(compare)) != 0;
  }
};

// A status bar in simple mode: one pane across the window.
class CStatusBar : public CWindow {
 public:
  using CWindow::CWindow;
  // Creates a visible status bar along the bottom of `parent`; the parent
  // destroys it with itself.
  static HWND Create(HWND parent, unsigned id);
  void SetSimple(bool simple) const { Send(SB_SIMPLE, simple); }
  // Shows `text` without borders and repaints at once, so the line is seen
  // while a long operation keeps the thread busy.
  bool SetSimpleText(std::wstring_view text) const;
};

class CProgressBar : public CWindow {
 public:
  using CWindow::CWindow;
  void SetRange(int low, int high) const { Send(PBM_SETRANGE32, low, high); }
  int SetPos(int position) const { return static_cast<int>(Send(PBM_SETPOS, position)); }
  int Pos() const { return static_cast<int>(Send(PBM_GETPOS)); }
  int DeltaPos(int delta) const { return static_cast<int>(Send(PBM_DELTAPOS, delta)); }
};

class CTrackbar : public CWindow {
 public:
  using CWindow::CWindow;
  void SetRange(int low, int high) const { Send(TBM_SETRANGE, TRUE, MAKELPARAM(low, high)); }
  void SetPos(int position) const { Send(TBM_SETPOS, TRUE, position); }
  int Pos() const { return static_cast<int>(Send(TBM_GETPOS)); }
};

class CUpDown : public CWindow {
 public:
  using CWindow::CWindow;
  void SetRange(int low, int high) const { Send(UDM_SETRANGE32, low, high); }
  void SetPos(int position) const { Send(UDM_SETPOS32, 0, position); }
  int Pos() const { return static_cast<int>(Send(UDM_GETPOS32)); }
  HWND SetBuddy(HWND buddy) const {
    return reinterpret_cast<HWND>(Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)));
  }
};

// An image list the dialog owns, filled with icons from the program's resources.
class CImageList {
 public:
  bool Create(int width, int height, UINT flags, int initial, int grow);
  // Adds the icon resource `id` at the list's size; its index, or -1.
  int AddIconResource(unsigned id);
  HIMAGELIST get() const noexcept { return images_.get(); }
  int Count() const { return ::ImageList_GetImageCount(images_.get()); }
  // Hands the list to a control that destroys it (a list view without
  // LVS_SHAREIMAGELISTS).
  HIMAGELIST release() noexcept { return images_.release(); }

 private:
  unique_imagelist images_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace lullan::ui
