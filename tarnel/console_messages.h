// Where the console's procedures send what they have to tell the
// administrator. The registry probe, the version key lookup and the service
// query run on scan threads as well as on the user-interface thread, some of
// it under the probe lock; none of them shows a box itself. On a scan thread
// a message goes to the dialog, which shows it (a scan thread never waits
// for the user-interface thread); on the user-interface thread it is held
// until the lock is released.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace lullan::tarnel {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Show(std::wstring text) = 0;
};

// Keeps the messages, for the user-interface thread to show once it holds
// no lock a scan thread may wait for.
class HeldMessages final : public MessageSink {
 public:
  void Show(std::wstring text) override { held_.push_back(std::move(text)); }
  // Shows the messages held, in order, in boxes owned by `owner`.
  void ShowAll(HWND owner);

 private:
  std::vector<std::wstring> held_;
};

// "%s: %s" with `text` and the system's text for the thread's last error,
// in a box owned by `owner`; LastErrorMessage composes it.
void ReportLastError(HWND owner, std::wstring_view text);
std::wstring LastErrorMessage(std::wstring_view text);

}  // namespace lullan::tarnel
