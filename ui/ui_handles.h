// Owners for the user-interface handle kinds: GDI objects, image lists, menus,
// icons loaded for one window, window hooks, and windows created in code. A
// CWindow never owns its window; one of these does when the code created it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "unique_any.h"

namespace lullan {

namespace traits {

template <typename GdiHandle>
struct GdiObject {  // bitmaps, brushes, fonts, pens
  using type = GdiHandle;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::DeleteObject(h); }
};

struct ImageList {
  using type = HIMAGELIST;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::ImageList_Destroy(h); }
};

struct Menu {
  using type = HMENU;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::DestroyMenu(h); }
};

struct Icon {  // icons from LoadImage without LR_SHARED
  using type = HICON;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::DestroyIcon(h); }
};

struct WindowsHook {  // SetWindowsHookExW
  using type = HHOOK;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::UnhookWindowsHookEx(h); }
};

struct Window {
  using type = HWND;
  static type invalid() noexcept { return nullptr; }
  static void close(type h) noexcept { ::DestroyWindow(h); }
};

}  // namespace traits

using unique_bitmap = unique_any<traits::GdiObject<HBITMAP>>;
using unique_brush = unique_any<traits::GdiObject<HBRUSH>>;
using unique_font = unique_any<traits::GdiObject<HFONT>>;
using unique_imagelist = unique_any<traits::ImageList>;
using unique_menu = unique_any<traits::Menu>;
using unique_icon = unique_any<traits::Icon>;
using unique_hook = unique_any<traits::WindowsHook>;
using unique_window = unique_any<traits::Window>;

}  // namespace lullan
