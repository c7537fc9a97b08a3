#include "tray_icon.h"

#include <algorithm>

#include "platform.h"

namespace lullan::engine {

namespace {

constexpr UINT kIconId = 1;

}  // namespace

UINT TrayIcon::TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

bool TrayIcon::Notify(DWORD message) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = kIconId;
  if (message != NIM_DELETE) {
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = icon_;
    size_t length = std::min<size_t>(tip_.size(), ARRAYSIZE(data.szTip) - 1);
    std::copy_n(tip_.data(), length, data.szTip);
    data.szTip[length] = L'\0';
  }
  return platform().desktop->NotifyIcon(message, &data) != FALSE;
}

void TrayIcon::Show(const std::wstring& tip) {
  if (tip.empty()) {
    if (added_) Notify(NIM_DELETE);
    added_ = false;
    tip_.clear();
    return;
  }
  tip_ = tip;
  // Not added while Explorer is not running: TaskbarCreated tries again.
  if (!added_ || !Notify(NIM_MODIFY)) added_ = Notify(NIM_ADD);
}

void TrayIcon::Restore() {
  if (tip_.empty()) return;
  added_ = Notify(NIM_ADD);
}

}  // namespace lullan::engine
