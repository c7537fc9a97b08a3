// Shows one window for a picture in docs/ (scripts/capture-dialogs.sh): once
// the thread's first visible top-level window is up it is moved to the top
// left corner of the desktop and its size written to a file as
// "WIDTHxHEIGHT+0+0" (ImageMagick's crop geometry), a maximised one being
// the whole screen; a few seconds later it is closed.
//
//   return ShowForPicture(geometryFile, [] { return CAboutDlg().DoModal(nullptr); });
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lullan::test {

// `show` shows the window and returns when it has closed. `close` closes it
// (by default IDCANCEL is posted to it). The result: 0, or 1 when `show`
// reported that the window could not be made.
int ShowForPicture(const std::wstring& geometryFile, const std::function<INT_PTR()>& show,
                   std::function<void(HWND shown)> close = {});

}  // namespace lullan::test
