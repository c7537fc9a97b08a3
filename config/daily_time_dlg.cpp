#include "daily_time_dlg.h"

#include "config_key.h"
#include "message_box.h"
#include "packed_time.h"
#include "resource.h"
#include "text_format.h"

namespace lullan::config {

namespace {
constexpr wchar_t kRangeFormat[] = L"Please enter an integer between %u and %u.";
constexpr wchar_t kErrorWriting[] = L"Error writing to registry";

// The whole text as a number: blanks around it, then digits (a sign is
// allowed, as any integer field takes one); anything else is no integer.
std::optional<long long> WholeInteger(std::wstring_view text) {
  size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(L" \t") - first + 1);
  bool negative = false;
  if (text.front() == L'+' || text.front() == L'-') {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 9) return std::nullopt;  // nine digits cannot overflow
  long long number = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    number = number * 10 + (c - L'0');
  }
  return negative ? -number : number;
}
}  // namespace

DWORD PackTwelveHourTime(unsigned hour, unsigned minute, bool pm) {
  if (pm && hour != 12) hour += 12;
  if (!pm && hour == 12) hour = 0;
  return PackTime(hour, minute);
}

CDailyTimeDlg::CDailyTimeDlg(ConfigHost& host, Target target, DailyTimeMode mode)
    : CDialog(IDD_DAILY_TIME), host_(host), target_(std::move(target)), mode_(mode) {}

bool CDailyTimeDlg::OnInitDialog() {
  keyPath_ = host_.KeyPath(target_);
  // A group's time starts from midnight in the console; setup offers its
  // machine's daily logoff time as the starting point.
  bool readStored = mode_ == DailyTimeMode::Page || host_.IsSetup();
  TimeOfDay time = UnpackTime(readStored ? StoredTime() : 0);
  hour_ = time.hour % 12 == 0 ? 12 : time.hour % 12;
  minute_ = time.minute;
  pm_ = time.hour > 11;

  LimitText(IDC_DAILY_HOUR, 2);
  LimitText(IDC_DAILY_MINUTE, 2);
  SetItemText(IDC_DAILY_HOUR, FormatText(L"%02u", hour_));
  SetItemText(IDC_DAILY_MINUTE, FormatText(L"%02u", minute_));
  CheckRadio(IDC_DAILY_AM, IDC_DAILY_PM, pm_ ? IDC_DAILY_PM : IDC_DAILY_AM);
  SetFocusTo(IDC_DAILY_HOUR);
  SelectAllText(IDC_DAILY_HOUR);
  return false;  // the focus is set
}

DWORD CDailyTimeDlg::StoredTime() {
  // Any type but a REG_DWORD, or no value at all, is midnight.
  ConfigKey key = ConfigKey::ForReading(window(), keyPath_, ReadMode::CreateThenReadIfExisting);
  return key ? key.ReadNumber(SettingOf(kDailyLogoffTime)) : 0;
}

bool CDailyTimeDlg::OnButtonClicked(unsigned id, HWND button) {
  switch (id) {
    case IDC_DAILY_AM:
      pm_ = false;
      return true;
    case IDC_DAILY_PM:
      pm_ = true;
      return true;
    default:
      return CDialog::OnButtonClicked(id, button);
  }
}

std::optional<unsigned> CDailyTimeDlg::TakeNumber(unsigned id, unsigned low, unsigned high) {
  std::optional<long long> number = WholeInteger(GetItemText(id));
  if (number && *number >= low && *number <= high) return static_cast<unsigned>(*number);
  ui::ShowMessage(window(), FormatText(kRangeFormat, low, high));
  SetFocusTo(id);
  SelectAllText(id);
  return std::nullopt;
}

void CDailyTimeDlg::OnOK() {
  std::optional<unsigned> hour = TakeNumber(IDC_DAILY_HOUR, 1, 12);
  if (!hour) return;
  std::optional<unsigned> minute = TakeNumber(IDC_DAILY_MINUTE, 0, 59);
  if (!minute) return;
  hour_ = *hour;
  minute_ = *minute;
  packedTime_ = PackTwelveHourTime(hour_, minute_, pm_);
  if (mode_ == DailyTimeMode::Page && !WriteTime()) return;  // stays open: the time was not stored
  EndDialog(IDOK);
}

bool CDailyTimeDlg::WriteTime() {
  if (keyPath_.empty()) {
    ui::ShowMessage(window(), kLocalCopyKeyMissing);
    return false;
  }
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey key = ConfigKey::Create(keyPath_, KEY_ALL_ACCESS, &status, &existed);
  if (!key) {
    ui::ShowMessage(window(), FormatText(kCantOpenKeyFormat, keyPath_.c_str()));
    return false;
  }
  if (!existed) return true;  // a key that had to be created gets nothing
  const Setting& dailyTime = SettingOf(kDailyLogoffTime);
  if (key.Write(dailyTime, packedTime_) != ERROR_SUCCESS) {
    ui::ShowMessage(window(), kErrorWriting);
  } else {
    host_.MarkChanged(dailyTime.change);
  }
  return true;
}

}  // namespace lullan::config
