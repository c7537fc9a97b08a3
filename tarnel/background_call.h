// Remote calls that may take long (a workstation that does not answer, a
// service slow to start) run on a thread of their own while the
// user-interface thread goes on dispatching messages: the dialog repaints
// and takes the scan's reports. Its input is disabled meanwhile, as under a
// message box, so that no second operation starts.
//
//   HeldMessages messages;
//   ServiceControlResult result;
//   RunInBackground(window(), [&] { result = ControlMainService(name, request, false, messages); });
//   messages.ShowAll(window());
//
// The work touches no window and no record: it returns what it found, and
// the user-interface thread shows it. An exception it throws comes out of
// RunInBackground.
#pragma once

#include <windows.h>

#include <functional>

namespace lullan::tarnel {

void RunInBackground(HWND dialog, const std::function<void()>& work);

}  // namespace lullan::tarnel
