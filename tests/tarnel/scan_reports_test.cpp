// The queue between the scan threads and the dialog: a report whose showing
// fails must not leave the reports behind it waiting for good.
#include <gtest/gtest.h>

#include <stdexcept>

#include "console_session.h"
#include "scan_reports.h"
#include "ui_handles.h"

namespace lullan::test {
namespace {

using tarnel::ScanReport;
using tarnel::ScanReports;
using tarnel::StatusText;

constexpr UINT kReportsWaiting = WM_APP + 7;

// A window that takes the reports as the dialog does: on the queue's
// message, within a budget, and with nothing thrown past its procedure.
class ReportWindow {
 public:
  explicit ReportWindow(ScanReports& reports) : reports_(reports) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ReportWindow::Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LullanReportWindow";
    ::RegisterClassW(&windowClass);
    window_.reset(::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, this));
    reports_.Open(window_.get(), kReportsWaiting);
  }
  ~ReportWindow() { reports_.Close(); }

  // The texts shown; showing `failing` throws, as a failed allocation would.
  std::vector<std::wstring> shown;
  std::wstring failing;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ReportWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != kReportsWaiting || !self) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
      self->reports_.Deliver(20, [self](const ScanReport& report) {
        const std::wstring& text = std::get<StatusText>(report).text;
        if (text == self->failing) throw std::runtime_error("the report cannot be shown");
        self->shown.push_back(text);
      });
    } catch (const std::exception&) {
      // The dialog's procedure tells the error and goes on.
    }
    return 0;
  }

  ScanReports& reports_;
  unique_window window_;
};

TEST(ScanReportsTest, AReportThatCannotBeShownLeavesTheOthersToBeShown) {
  ScanReports reports;
  ReportWindow dialog(reports);
  dialog.failing = L"2";
  for (const wchar_t* text : {L"1", L"2", L"3"}) reports.Push(StatusText{text});
  PumpUntil([&dialog] { return dialog.shown.size() == 2; }, 2000);
  reports.Push(StatusText{L"4"});  // a report that comes later is shown as well
  PumpUntil([&dialog] { return dialog.shown.size() == 3; }, 2000);
  EXPECT_EQ(dialog.shown, (std::vector<std::wstring>{L"1", L"3", L"4"}));
}

}  // namespace
}  // namespace lullan::test
