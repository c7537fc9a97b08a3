// The console's main dialog, CServerPanelDlg: the list of the domain's
// computers with the state of the main service on each and what the console
// read from their registries, the status bar, and the buttons that act on
// the selected rows. The dialog is the process's only window; it runs the
// scan (scan_network.cpp), the remote logoff, shutdown and reboot
// (remote_logoff.cpp) and everything else on the user-interface thread.
#pragma once

#include <windows.h>
#include <lm.h>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com_apartment.h"
#include "console_state.h"
#include "dialog.h"
#include "handles.h"
#include "held_computer.h"
#include "machine_list.h"
#include "scan_threads.h"
#include "status_line.h"
#include "ui_handles.h"

namespace lullan::tarnel {

class CServerPanelApp;

// The status line while the browse list is read.
inline constexpr wchar_t kFindingComputers[] = L"Finding computer information, please wait...";
// Where the list came from on a network without a browse list (with the number of computers).
inline constexpr wchar_t kListedFromAccounts[] = L"%d computers listed from the domain's computer accounts";

// Posted to the dialog: the scan's report queue has reports waiting; the
// listing of a scan's computers goes on with its next batch.
inline constexpr UINT kScanReportsWaiting = WM_APP + 1;
inline constexpr UINT kListMoreComputers = WM_APP + 2;
// The timer that brings out a scan count that had to wait.
inline constexpr UINT_PTR kProgressTimer = 1;

// The operations of "Logoff Now!", "Shutdown Now!" and "Reboot Now!", by the
// number of the ILogoffEx method they call (after IUnknown's three).
enum class SessionEnd { Logoff = 0, Shutdown = 1, Reboot = 2 };

class CServerPanelDlg : public ui::CDialog {
 public:
  explicit CServerPanelDlg(CServerPanelApp& app);
  ~CServerPanelDlg() override;

  // Waits until the scan threads of the last scan have ended; false when
  // they still run after `milliseconds`. The program does not wait for them
  // (Exit ends it in about 100 ms); whoever must outlive them does.
  bool WaitForScan(DWORD milliseconds) const;

 protected:
  bool OnInitDialog() override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  void OnCancel() override;  // Exit, Esc and the close box
  bool OnNotify(unsigned id, NMHDR* header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  // Start-up.
  void AddAboutItem() const;
  void StartCom();
  void CreateStatusBar();
  void CreateImageList();
  void SetStatusText(std::wstring_view text);
  void ShowAboutBox() const;
  bool PaintMinimised() const;
  void OnDestroy();

  // The scan (scan_network.cpp): the enumeration and the listing on this
  // thread, then the scan threads, whose reports this thread takes in turn.
  int ScanNetwork();
  // The computers of the browse list, or else of the domain's accounts; -1
  // after the message that tells why there are none.
  int FindComputers(std::vector<ScannedComputer>& computers);
  bool ListFromAccounts(std::vector<ScannedComputer>& computers);
  // A record for each computer not listed yet; `computers` keeps those.
  void AddComputers(std::vector<ScannedComputer>& computers);
  // Rows for the next computers found, for a moment; then the next batch
  // after the messages waiting.
  void ListNextBatch();
  void OnRefresh();
  void TakeScanReports();
  void Apply(const ServiceAnswered& answer);
  void Apply(const ComputerProbed& probe);
  void Apply(const ScanProgress& progress);
  // Stores what a probe read and shows it in the computer's row.
  void ShowProbe(const std::wstring& computer, const ProbeResult& result);
  void Apply(const StatusText& status);
  void Apply(const ScanMessage& message);
  void Apply(const ComputersPurged& purged);  // purge.cpp
  void Apply(const ScanFinished& finished);
  void EnableRefresh(bool enable) const;

  // The column sort: each column has its own direction, descending first.
  void OnColumnClick(int column);

  // Remote logoff, shutdown and reboot (remote_logoff.cpp).
  void EndSessionsNow(SessionEnd operation);
  // Probes a computer's registry on this thread and shows what was read;
  // the computer's record, or null.
  CComputerInfo* ProbeComputer(const std::wstring& name);
  // After a successful call: the user who was logged on becomes the previous one.
  void EndedSession(const std::wstring& name);

  // Start/Stop (service_control.cpp): the main service on the selected computer.
  void StartStop();

  // Configure (remote_configuration.cpp): the selected computer's configuration.
  void Configure();

  // The computer an operation works on (held_computer.cpp). The first
  // selected row's name (at most 16 characters), or nullopt after "No
  // computer selected".
  std::optional<std::wstring> GetSelectedComputer() const;
  // The names of every selected row, in row order. Operations on several
  // computers take them first: while one of their boxes is up, the purge
  // may take rows away and move the rows below.
  std::vector<std::wstring> SelectedComputers() const;
  // The record of `name`, held until the result goes; empty when the list
  // holds no such computer.
  HeldComputer HoldComputer(const std::wstring& name);
  // Takes a computer's row and record out of the list; while an operation
  // holds the record, as soon as the operation lets go of it.
  void RemoveComputer(CComputerInfo& record) noexcept;
  friend class HeldComputer;

  // The shared profiles dialog (shared_profiles_dlg.cpp), and the assignment
  // of a profile to the selected computers (profile_assignment.cpp).
  void ManageSharedProfiles();
  void AssignProfile();

  CServerPanelApp& app_;  // what start-up found, for the operations that need it
  std::shared_ptr<ConsoleState> state_;
  CMachineList list_;
  ui::CStatusBar status_;
  ui::CImageList images_;
  unique_icon largeIcon_;
  unique_icon smallIcon_;
  std::optional<ComApartment> com_;
  unique_handle waiter_;  // the last scan's waiter thread
  std::array<bool, kColumnCount> ascending_{};
  ComputerHolds holds_;  // the records operations hold, and those a purge waits for
  StatusLine statusLine_;
  // The computers of the scan, by name, and the first that has no row yet.
  std::vector<std::wstring> toList_;
  size_t nextToList_ = 0;
  bool finishWaiting_ = false;  // the scan ended before its last row was in
  int progressCount_ = 0;       // the highest count of a scan shown
  // Messages from the scan threads, shown one after the other.
  std::deque<std::wstring> waitingMessages_;
  bool showingMessage_ = false;
};

}  // namespace lullan::tarnel
