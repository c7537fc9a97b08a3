#include "group_props_dlg.h"

#include <cwchar>

#include "daily_time_dlg.h"
#include "message_box.h"
#include "packed_time.h"
#include "resource.h"
#include "schema.h"
#include "text_format.h"

namespace lullan::config {

namespace {
constexpr size_t kMostMinutesChars = 79;
// Shorter than any "%02d:%02d %cM": no time has been picked.
constexpr size_t kShortestTimeText = 4;
}  // namespace

std::optional<long> ScanWholeNumber(std::wstring_view text) {
  std::wstring terminated(text);
  const wchar_t* start = terminated.c_str();
  wchar_t* end = nullptr;
  long number = std::wcstol(start, &end, 10);
  if (end == start) return std::nullopt;
  return number;  // on overflow wcstol gives LONG_MAX or LONG_MIN, which is what we want
}

CGroupPropsDlg::CGroupPropsDlg(ConfigHost& host, Target target, std::wstring names, GroupKind kind,
                               std::wstring minutesText, DWORD packedTime)
    : CDialog(IDD_GROUP_PROPS),
      host_(host),
      target_(std::move(target)),
      names_(std::move(names)),
      kind_(kind),
      minutesText_(std::move(minutesText)),
      packedTime_(packedTime) {}

bool CGroupPropsDlg::OnInitDialog() {
  ShowItem(IDC_GROUPPROPS_SET, false);
  EnableItem(IDC_GROUPPROPS_SET, false);
  SetReadOnly(IDC_GROUPPROPS_TIME, true);
  LimitText(IDC_GROUPPROPS_NAMES, 0);  // hundreds of names
  SetItemText(IDC_GROUPPROPS_NAMES, names_);
  LimitText(IDC_GROUPPROPS_MINUTES, kMostMinutesChars);

  if (kind_ == GroupKind::Minutes) {
    CheckRadio(IDC_GROUPPROPS_AFTER_IDLE, IDC_GROUPPROPS_AT_TIME, IDC_GROUPPROPS_AFTER_IDLE);
    SetItemText(IDC_GROUPPROPS_MINUTES, minutesText_);
    ChooseMinutes();
  } else {
    // The preset time stays the dialog's time, but the edit stays empty until
    // "Set" is used: a time is picked, never taken over unseen.
    CheckRadio(IDC_GROUPPROPS_AFTER_IDLE, IDC_GROUPPROPS_AT_TIME, IDC_GROUPPROPS_AT_TIME);
    ChooseClockTime();
  }
  return false;  // the focus is where the kind put it
}

bool CGroupPropsDlg::OnButtonClicked(unsigned id, HWND button) {
  switch (id) {
    case IDC_GROUPPROPS_AFTER_IDLE:
      ChooseMinutes();
      return true;
    case IDC_GROUPPROPS_AT_TIME:
      ChooseClockTime();
      return true;
    case IDC_GROUPPROPS_SET:
      PickTime();
      return true;
    default:
      return CDialog::OnButtonClicked(id, button);
  }
}

void CGroupPropsDlg::ChooseMinutes() {
  kind_ = GroupKind::Minutes;
  SendItem(IDC_GROUPPROPS_TIME, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  SetReadOnly(IDC_GROUPPROPS_TIME, true);
  EnableItem(IDC_GROUPPROPS_SET, false);
  SetReadOnly(IDC_GROUPPROPS_MINUTES, false);
  SelectAllText(IDC_GROUPPROPS_MINUTES);
  SetFocusTo(IDC_GROUPPROPS_MINUTES);
}

void CGroupPropsDlg::ChooseClockTime() {
  kind_ = GroupKind::ClockTime;
  SendItem(IDC_GROUPPROPS_MINUTES, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  SetReadOnly(IDC_GROUPPROPS_MINUTES, true);
  ShowItem(IDC_GROUPPROPS_SET, true);
  EnableItem(IDC_GROUPPROPS_SET, true);
  SetFocusTo(IDC_GROUPPROPS_SET);
}

void CGroupPropsDlg::PickTime() {
  CDailyTimeDlg daily(host_, target_, DailyTimeMode::Group);
  if (daily.DoModal(window()) != IDOK) return;
  packedTime_ = daily.packedTime();
  SetItemText(IDC_GROUPPROPS_TIME, FormatPackedTime(packedTime_));
}

void CGroupPropsDlg::RefuseMinutes(std::wstring_view message) {
  ui::ShowMessage(window(), message);
  SelectAllText(IDC_GROUPPROPS_MINUTES);
  SetFocusTo(IDC_GROUPPROPS_MINUTES);
}

void CGroupPropsDlg::OnOK() {
  if (kind_ == GroupKind::Minutes) {
    std::wstring text = GetItemText(IDC_GROUPPROPS_MINUTES);
    if (text.empty()) return RefuseMinutes(L"Must enter 'max idle minutes' value.");
    std::optional<long> minutes = ScanWholeNumber(text.substr(0, kMostMinutesChars));
    // 0 passes: the page answers it. Text that holds no number is as wrong as
    // a number out of range.
    if (!minutes || (*minutes != 0 && (*minutes < static_cast<long>(kMinIdleMinutes) ||
                                       *minutes > static_cast<long>(kMaxIdleMinutes)))) {
      return RefuseMinutes(FormatText(L"Invalid minutes value: must be between %d and %d",
                                      static_cast<int>(kMinIdleMinutes), static_cast<int>(kMaxIdleMinutes)));
    }
    minutes_ = *minutes;
  } else if (GetItemText(IDC_GROUPPROPS_TIME).size() < kShortestTimeText) {
    ui::ShowMessage(window(), L"Must enter 'daily logoff time' value.");
    return;
  }
  EndDialog(IDOK);
}

}  // namespace lullan::config
