#include "background_window.h"

#include "ui_handles.h"

namespace lullan::setup {

namespace {

constexpr wchar_t kTitle[] = L"Setup Lullan";
constexpr wchar_t kBanner[] = L"Fennick Software Setup";

void PaintBanner(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(window, &paint);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  unique_font font(::CreateFontW(metrics.tmHeight * 3, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_ROMAN,
                                 L"Times New Roman Bold Italic"));
  HGDIOBJ previousFont = ::SelectObject(dc, font.get());
  ::SetBkMode(dc, TRANSPARENT);
  RECT area;
  ::GetClientRect(window, &area);
  // A black shadow, then the text in blue one pixel up and to the left.
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::DrawTextW(dc, kBanner, -1, &area, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
  ::OffsetRect(&area, -1, -1);
  ::SetTextColor(dc, RGB(0, 0, 255));
  ::DrawTextW(dc, kBanner, -1, &area, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
  ::SelectObject(dc, previousFont);
  ::EndPaint(window, &paint);
}

LRESULT CALLBACK BackgroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintBanner(window);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateBackgroundWindow(HBRUSH brush) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE;
  windowClass.lpfnWndProc = &BackgroundProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = brush;
  windowClass.lpszClassName = kBackgroundClass;
  // A second run in one process (the tests) finds the class registered already.
  if (!::RegisterClassW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  HWND window = ::CreateWindowW(kBackgroundClass, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MAXIMIZE, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (window) {
    ::ShowWindow(window, SW_SHOWMAXIMIZED);
    ::UpdateWindow(window);
  }
  return window;
}

}  // namespace lullan::setup
