#include "console_session.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace lullan::test {

namespace {

thread_local ConsoleSession* tWatching = nullptr;

bool IsStatusBar(HWND window) {
  wchar_t className[32] = {};
  ::GetClassNameW(window, className, ARRAYSIZE(className));
  return ::lstrcmpiW(className, STATUSCLASSNAMEW) == 0;
}

}  // namespace

std::vector<ListRow> Rows(const Controls& panel) {
  ui::CListView list(panel.Item(IDC_MACHINES));
  std::vector<ListRow> rows;
  for (int row = 0, count = list.ItemCount(); row < count; ++row) {
    ListRow seen;
    for (int column = 0; column < tarnel::kColumnCount; ++column) seen.cells.push_back(list.GetItemText(row, column));
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    list.Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    seen.image = item.iImage;
    rows.push_back(std::move(seen));
  }
  return rows;
}

std::vector<std::wstring> RowLines(const Controls& panel) {
  std::vector<std::wstring> lines;
  for (const ListRow& row : Rows(panel)) {
    std::wstring line;
    for (const std::wstring& cell : row.cells) line += cell + L" | ";
    lines.push_back(line + L"image " + std::to_wstring(row.image));
  }
  return lines;
}

std::vector<std::wstring> Column(const Controls& panel, int column) {
  std::vector<std::wstring> texts;
  for (const ListRow& row : Rows(panel)) texts.push_back(row.cells[column]);
  return texts;
}

std::vector<std::wstring> Names(const Controls& panel) { return Column(panel, tarnel::kComputerColumn); }

std::wstring StatusText(const Controls& panel) {
  // In simple mode the bar answers for its one pane at index 0.
  HWND bar = panel.Item(IDC_STATUS_BAR);
  auto length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(length + 1u, L'\0');
  ::SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(::lstrlenW(text.c_str()));
  return text;
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= milliseconds) return false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

ConsoleSession::ConsoleSession() {
  hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, &ConsoleSession::WatchStatusBar, nullptr, ::GetCurrentThreadId());
  tWatching = this;
}

ConsoleSession::~ConsoleSession() {
  if (hook_) ::UnhookWindowsHookEx(hook_);
  if (tWatching == this) tWatching = nullptr;
}

LRESULT CALLBACK ConsoleSession::WatchStatusBar(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && tWatching && call->message == SB_SETTEXTW && IsStatusBar(call->hwnd))
    tWatching->statusTexts_.push_back(reinterpret_cast<const wchar_t*>(call->lParam));
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring ConsoleSession::DescribeStatus() const {
  std::wstring all;
  for (const std::wstring& text : statusTexts_) all += L"  " + text + L"\n";
  return all;
}

ConsoleSession& ConsoleSession::WaitForScan() {
  return Do(L"wait for the scan to end", [](HWND panel) {
    HWND refresh = ::GetDlgItem(panel, IDC_REFRESH);
    EXPECT_TRUE(PumpUntil([refresh] { return ::IsWindowEnabled(refresh) != FALSE; }, 20000))
        << "the scan did not end within 20 s";
  });
}

ConsoleSession& ConsoleSession::Select(std::initializer_list<std::wstring> computers) {
  std::vector<std::wstring> chosen(computers);
  return Do(L"select computers", [chosen](HWND panel) {
    ui::CListView list(::GetDlgItem(panel, IDC_MACHINES));
    size_t selected = 0;
    for (int row = 0, count = list.ItemCount(); row < count; ++row) {
      bool choose = std::find(chosen.begin(), chosen.end(), list.GetItemText(row, 0)) != chosen.end();
      list.Select(row, choose);
      selected += choose;
    }
    EXPECT_EQ(selected, chosen.size()) << "some computers to select are not listed";
  });
}

ConsoleSession& ConsoleSession::ClickColumn(int column) {
  return Do(L"click a column heading", [column](HWND panel) {
    HWND header = ListView_GetHeader(::GetDlgItem(panel, IDC_MACHINES));
    RECT heading{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &heading)) << "no column " << column;
    LPARAM at = MAKELPARAM((heading.left + heading.right) / 2, (heading.top + heading.bottom) / 2);
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(header, WM_LBUTTONUP, 0, at);
  });
}

}  // namespace lullan::test
