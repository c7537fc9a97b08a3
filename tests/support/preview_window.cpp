#include "preview_window.h"

#include <cstdio>

#include "text_format.h"

namespace lullan::test {

namespace {

constexpr UINT kTickMs = 100;
constexpr int kShownTicks = 40;  // how long the window stays up once placed

struct Preview {
  std::wstring geometryFile;
  std::function<void(HWND)> close;
  HWND shown = nullptr;
  int ticks = 0;
};
Preview* gPreview = nullptr;

BOOL CALLBACK FindShown(HWND window, LPARAM) {
  if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER)) return TRUE;
  gPreview->shown = window;
  return FALSE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  Preview& preview = *gPreview;
  if (!preview.shown) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindShown, 0);
    if (!preview.shown) return;
    RECT rect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    // A maximised window is the whole screen already; moving it would restore it.
    if (!::IsZoomed(preview.shown)) {
      ::SetWindowPos(preview.shown, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      ::GetWindowRect(preview.shown, &rect);
    }
    std::string geometry = FormatTextA("%ldx%ld+0+0\n", rect.right - rect.left, rect.bottom - rect.top);
    if (FILE* file = ::_wfopen(preview.geometryFile.c_str(), L"w")) {
      std::fputs(geometry.c_str(), file);
      std::fclose(file);
    }
    return;
  }
  if (++preview.ticks == kShownTicks) preview.close(preview.shown);
}

}  // namespace

int ShowForPicture(const std::wstring& geometryFile, const std::function<INT_PTR()>& show,
                   std::function<void(HWND shown)> close) {
  if (!close) close = [](HWND shown) { ::PostMessageW(shown, WM_COMMAND, IDCANCEL, 0); };
  Preview preview{geometryFile, std::move(close)};
  gPreview = &preview;
  UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, &Tick);
  INT_PTR result = show();
  ::KillTimer(nullptr, timer);
  gPreview = nullptr;
  return result < 0 ? 1 : 0;
}

}  // namespace lullan::test
