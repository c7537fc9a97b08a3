// Drives the console's main dialog as an administrator would, on top of the
// dialog session of tests/support: waits for the scan, selects rows, clicks
// column headings, and reads the list and the status bar.
//
//   ConsoleSession admin;
//   admin.WaitForScan()
//       .ClickColumn(tarnel::kIdleForColumn)
//       .Look([](const Controls& panel) { EXPECT_EQ(Names(panel), ...); })
//       .Exit();
//
// Every text the status bar shows while the session runs is kept, in order
// (statusTexts()), from the dialog's first line on.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "dialog_session.h"
#include "machine_list.h"
#include "resource.h"

namespace lullan::test {

// One row of the list as the administrator sees it.
struct ListRow {
  std::vector<std::wstring> cells;  // the seven columns
  int image;                        // 0 running, 1 present, 2 unknown
};
std::vector<ListRow> Rows(const Controls& panel);
// Each row as one line, "PC-017 | Win2000 | [none] | alice | 25 | bob | stdLogoff | image 0",
// for expectations that show the whole list when they fail.
std::vector<std::wstring> RowLines(const Controls& panel);
// One column's texts, top to bottom.
std::vector<std::wstring> Column(const Controls& panel, int column);
std::vector<std::wstring> Names(const Controls& panel);
// The status bar's text now.
std::wstring StatusText(const Controls& panel);

class ConsoleSession : public SessionSteps<ConsoleSession> {
 public:
  ConsoleSession();
  ~ConsoleSession() override;

  // Lets the dialog run until "Refresh" comes back: the scan has ended and
  // its last report has been shown.
  ConsoleSession& WaitForScan();
  // Selects exactly the rows of these computers.
  ConsoleSession& Select(std::initializer_list<std::wstring> computers);
  // Clicks a column's heading.
  ConsoleSession& ClickColumn(int column);
  ConsoleSession& Refresh() { return Click(IDC_REFRESH); }
  ConsoleSession& Exit() { return Click(IDCANCEL); }

  const std::vector<std::wstring>& statusTexts() const { return statusTexts_; }
  // The status texts, one per line, for failure messages.
  std::wstring DescribeStatus() const;

 private:
  static LRESULT CALLBACK WatchStatusBar(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_ = nullptr;
  std::vector<std::wstring> statusTexts_;
};

// Runs this thread's messages until `done` answers true or `milliseconds`
// have passed; whether `done` came true.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds);

}  // namespace lullan::test
