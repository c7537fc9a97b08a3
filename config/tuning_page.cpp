#include "tuning_page.h"

#include "controls.h"
#include "resource.h"

namespace lullan::config {

namespace {
constexpr int kLowest = 0;
constexpr int kHighest = 3;
}  // namespace

CTuneDlg::CTuneDlg(ConfigHost& host, Target target) : CConfigPage(IDD_TUNING_PAGE, host, std::move(target)) {}

bool CTuneDlg::OnInitPage() {
  ui::CTrackbar sensitivity(Item(IDC_TUNING_SENSITIVITY));
  sensitivity.SetRange(kLowest, kHighest);
  // The exclusion list has no length limit; the edit's default would cut a long one.
  LimitText(IDC_TUNING_EXCLUDE_FILES, 0);

  const Setting& netBytes = SettingOf(kNetBytesSec);
  threshold_ = std::to_wstring(netBytes.absentNumber);
  if (!keyPath().empty()) {
    if (ConfigKey key = OpenForReading(ReadMode::CreateThenReadIfExisting)) {
      sensitivity_ = static_cast<int>(key.ReadNumber(SettingOf(kExplorerSensitivity)));
      excludeFiles_ = key.ReadText(SettingOf(kExcludeFiles));
      // Shown unsigned: a threshold above 2^31 must read back as itself.
      threshold_ = std::to_wstring(key.ReadNumber(netBytes));
      ignoreKernel_ = key.ReadFlag(SettingOf(kIgnoreKernel));
      monitorMouse_ = key.ReadFlag(SettingOf(kMonitorMouse));
    }
  }

  sensitivity.SetPos(sensitivity_);
  SetItemText(IDC_TUNING_EXCLUDE_FILES, excludeFiles_);
  SetItemText(IDC_TUNING_NET_BYTES, threshold_);
  CheckButton(IDC_TUNING_IGNORE_KERNEL, ignoreKernel_);
  CheckButton(IDC_TUNING_MONITOR_MOUSE, monitorMouse_);
  return true;
}

void CTuneDlg::TakeControls() {
  sensitivity_ = ui::CTrackbar(Item(IDC_TUNING_SENSITIVITY)).Pos();
  excludeFiles_ = GetItemText(IDC_TUNING_EXCLUDE_FILES);
  threshold_ = GetItemText(IDC_TUNING_NET_BYTES);
  ignoreKernel_ = IsButtonChecked(IDC_TUNING_IGNORE_KERNEL);
  monitorMouse_ = IsButtonChecked(IDC_TUNING_MONITOR_MOUSE);
}

bool CTuneDlg::OnKillActive() {
  TakeControls();
  return true;
}

bool CTuneDlg::OnApply() {
  TakeControls();
  if (keyPath().empty()) {
    Message(kRegistryKeyNameMissing);
    return true;
  }
  ConfigKey key = OpenForWriting(WriteMode::CreateThenWriteIfExisting);
  if (!key) return true;  // could not be opened (reported), or had to be created: nothing is written

  const Setting& sensitivity = SettingOf(kExplorerSensitivity);
  const Setting& ignoreKernel = SettingOf(kIgnoreKernel);
  const Setting& monitorMouse = SettingOf(kMonitorMouse);
  const Setting& excludeFiles = SettingOf(kExcludeFiles);
  const Setting& netBytes = SettingOf(kNetBytesSec);
  MarkWritten(sensitivity, key.Write(sensitivity, static_cast<DWORD>(sensitivity_)));
  MarkWritten(ignoreKernel, key.Write(ignoreKernel, ignoreKernel_ ? 1 : 0));
  MarkWritten(monitorMouse, key.Write(monitorMouse, monitorMouse_ ? 1 : 0));
  MarkWritten(excludeFiles, key.Write(excludeFiles, excludeFiles_));
  MarkWritten(netBytes, key.Write(netBytes, LeadingNumber(threshold_)));
  return true;
}

}  // namespace lullan::config
