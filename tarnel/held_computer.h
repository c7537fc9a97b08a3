// The computer a user-interface operation works on, held against the purge.
//
// An operation keeps its computer's record across message boxes, sheets and
// background calls, and all the while the dialog goes on taking the scan's
// reports, the purge's among them. The operation therefore holds the record:
// a purge that comes meanwhile takes the computer (its row and its record)
// out of the list only when the last hold on it goes.
//
//   std::optional<std::wstring> name = GetSelectedComputer();  // or "No computer selected"
//   if (!name) return;
//   HeldComputer computer = HoldComputer(*name);                // empty: not listed
//   ... message boxes, a sheet, a background call ...
//   computer->stateCode = ServiceState::Running;                // still there
#pragma once

#include <map>
#include <set>

namespace lullan::tarnel {

class CComputerInfo;
class CServerPanelDlg;

// One hold on one record; it lets go when it goes. Made by
// CServerPanelDlg::HoldComputer, and used on the user-interface thread only.
class HeldComputer {
 public:
  HeldComputer() noexcept = default;
  HeldComputer(CServerPanelDlg& dialog, CComputerInfo& record);
  HeldComputer(HeldComputer&& other) noexcept;
  HeldComputer& operator=(HeldComputer&& other) noexcept;
  HeldComputer(const HeldComputer&) = delete;
  HeldComputer& operator=(const HeldComputer&) = delete;
  ~HeldComputer() { reset(); }

  CComputerInfo* get() const noexcept { return record_; }
  CComputerInfo* operator->() const noexcept { return record_; }
  CComputerInfo& operator*() const noexcept { return *record_; }
  explicit operator bool() const noexcept { return record_ != nullptr; }
  // Lets go now; a purge that waited for the record carries out its removal.
  void reset() noexcept;

 private:
  CServerPanelDlg* dialog_ = nullptr;
  CComputerInfo* record_ = nullptr;
};

// The dialog's count of the holds on its records, and the records a purge
// waits to remove.
class ComputerHolds {
 public:
  void Hold(const CComputerInfo& record);
  // Lets go of one hold: true when it was the last one and a purge waits for
  // the record, which may now be removed.
  bool Release(const CComputerInfo& record) noexcept;
  // The purge wants the record gone: false when nothing holds it (it goes
  // now); true when it is held and goes with its last hold.
  bool Defer(const CComputerInfo& record);

 private:
  std::map<const CComputerInfo*, int> holds_;
  std::set<const CComputerInfo*> purged_;
};

}  // namespace lullan::tarnel
