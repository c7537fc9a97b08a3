// The agent's icon in the notification area, with the tooltip the service
// sends ("Idle logoff in 12 minutes"). Explorer forgets every icon when it
// restarts and then broadcasts "TaskbarCreated": the agent's window passes
// it to Restore, which adds the icon again. The icon goes with the object.
#pragma once

#include <windows.h>

#include <string>

namespace lullan::engine {

class TrayIcon {
 public:
  TrayIcon(HWND owner, HICON icon) : owner_(owner), icon_(icon) {}
  ~TrayIcon() { Show(L""); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Shows the icon with `tip` (cut to what a tooltip holds); empty: removes it.
  void Show(const std::wstring& tip);
  // Explorer (re)started: the icon, if it is shown, is added again.
  void Restore();
  bool shown() const { return added_; }

  // The message Explorer broadcasts when it has (re)created the taskbar.
  static UINT TaskbarCreatedMessage();

 private:
  bool Notify(DWORD message);

  HWND owner_;
  HICON icon_;
  std::wstring tip_;
  bool added_ = false;
};

}  // namespace lullan::engine
