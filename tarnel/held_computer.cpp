// The computer an operation works on: the selection, the holds, and the
// removal of a computer from the list that the purge asks for.
#include "held_computer.h"

#include <utility>

#include "message_box.h"
#include "server_panel_dlg.h"

namespace lullan::tarnel {

HeldComputer::HeldComputer(CServerPanelDlg& dialog, CComputerInfo& record) : dialog_(&dialog), record_(&record) {
  dialog.holds_.Hold(record);
}

HeldComputer::HeldComputer(HeldComputer&& other) noexcept
    : dialog_(std::exchange(other.dialog_, nullptr)), record_(std::exchange(other.record_, nullptr)) {}

HeldComputer& HeldComputer::operator=(HeldComputer&& other) noexcept {
  if (this != &other) {
    reset();
    dialog_ = std::exchange(other.dialog_, nullptr);
    record_ = std::exchange(other.record_, nullptr);
  }
  return *this;
}

void HeldComputer::reset() noexcept {
  CServerPanelDlg* dialog = std::exchange(dialog_, nullptr);
  CComputerInfo* record = std::exchange(record_, nullptr);
  if (dialog && dialog->holds_.Release(*record)) dialog->RemoveComputer(*record);
}

void ComputerHolds::Hold(const CComputerInfo& record) { ++holds_[&record]; }

bool ComputerHolds::Release(const CComputerInfo& record) noexcept {
  auto held = holds_.find(&record);
  if (held == holds_.end() || --held->second > 0) return false;
  holds_.erase(held);
  return purged_.erase(&record) != 0;
}

bool ComputerHolds::Defer(const CComputerInfo& record) {
  if (holds_.find(&record) == holds_.end()) return false;
  purged_.insert(&record);
  return true;
}

std::optional<std::wstring> CServerPanelDlg::GetSelectedComputer() const {
  int row = list_.GetNextSelected();
  if (row < 0) {
    ui::ShowMessage(window(), L"No computer selected");
    return std::nullopt;
  }
  return list_.ComputerName(row);
}

std::vector<std::wstring> CServerPanelDlg::SelectedComputers() const {
  std::vector<std::wstring> computers;
  for (int row = list_.GetNextSelected(); row >= 0; row = list_.GetNextSelected(row))
    computers.push_back(list_.ComputerName(row));
  return computers;
}

HeldComputer CServerPanelDlg::HoldComputer(const std::wstring& name) {
  CComputerInfo* record = state_->records.FindComputer(name);
  return record ? HeldComputer(*this, *record) : HeldComputer();
}

void CServerPanelDlg::RemoveComputer(CComputerInfo& record) noexcept {
  try {
    if (holds_.Defer(record)) return;  // it goes when the operation lets go of it
    int row = list_.FindComputerRow(record.name);
    if (row >= 0) list_.DeleteItem(row);
    state_->records.Remove(record);
  } catch (...) {
    // Out of memory: the computer stays listed.
  }
}

}  // namespace lullan::tarnel
