#include "controls.h"

#include <vector>

namespace lullan::ui {

namespace {
// The list view takes texts as non-const pointers even where it only reads them.
LPWSTR Writable(std::wstring& text) { return text.data(); }
}  // namespace

int CListView::InsertColumn(int column, std::wstring_view heading, int width, int extra) const {
  std::wstring text(heading);
  LVCOLUMNW lvc{};
  lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  lvc.fmt = LVCFMT_LEFT;
  lvc.cx = width >= 0 ? width : StringWidth(heading) + extra;
  lvc.pszText = Writable(text);
  lvc.iSubItem = column;
  return static_cast<int>(Send(LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&lvc)));
}

int CListView::StringWidth(std::wstring_view text) const {
  std::wstring terminated(text);
  return static_cast<int>(Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(terminated.c_str())));
}

int CListView::InsertItem(int row, std::wstring_view text, LPARAM data, int image) const {
  std::wstring terminated(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
  item.iItem = row;
  item.pszText = Writable(terminated);
  item.lParam = data;
  item.iImage = image;
  return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListView::SetSubItem(int row, int column, std::wstring_view text) const {
  std::wstring terminated(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = Writable(terminated);
  return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

bool CListView::SetItemImage(int row, int image) const {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = image;
  return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

std::wstring CListView::GetItemText(int row, int column, size_t maxChars) const {
  std::vector<wchar_t> buffer(maxChars + 1, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  LRESULT copied = Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

LPARAM CListView::GetItemData(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

int CListView::FindItem(std::wstring_view text) const {
  std::wstring terminated(text);
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = terminated.c_str();
  return static_cast<int>(Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

bool CListView::Select(int row, bool selected) const {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

HWND CStatusBar::Create(HWND parent, unsigned id) {
  return ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

bool CStatusBar::SetSimpleText(std::wstring_view text) const {
  std::wstring terminated(text);
  bool set = Send(SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(terminated.c_str())) != 0;
  ::UpdateWindow(window());
  return set;
}

bool CImageList::Create(int width, int height, UINT flags, int initial, int grow) {
  images_.reset(::ImageList_Create(width, height, flags, initial, grow));
  width_ = width;
  height_ = height;
  return static_cast<bool>(images_);
}

int CImageList::AddIconResource(unsigned id) {
  unique_icon icon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width_, height_, 0)));
  if (!icon || !images_) return -1;
  return ::ImageList_AddIcon(images_.get(), icon.get());  // the list keeps its own copy
}

}  // namespace lullan::ui
