#include "general_page.h"

#include <iterator>

#include "daily_time_dlg.h"
#include "leading_number.h"
#include "local_copy_key.h"
#include "packed_time.h"
#include "profile_stamp.h"
#include "resource.h"
#include "text_format.h"

namespace lullan::config {

namespace {
constexpr wchar_t kInvalidValueFormat[] = L"Invalid %s value: must be between %d and %d";
constexpr wchar_t kEnableDailyLogoffQuestion[] = L"Enable daily logoff?";
constexpr wchar_t kActionWriteContext[] = L"RegSetValueEx";
constexpr wchar_t kForceExitWriteFormat[] = L"setting reg val %s\\%s to %d";

constexpr unsigned kActionRadios[] = {IDC_GENERAL_LOGOFF, IDC_GENERAL_SHUTDOWN, IDC_GENERAL_REBOOT};

unsigned RadioOf(Action action) { return kActionRadios[static_cast<int>(action)]; }
}  // namespace

const CGeneralDlg::Box CGeneralDlg::kBoxes[] = {
    {IDC_GENERAL_FORCE_EXIT, &CGeneralDlg::forceExit_, kForceExit},
    {IDC_GENERAL_RUN_SCRIPT, &CGeneralDlg::runScript_, kRunScript},
    {IDC_GENERAL_USE_LOG_FILE, &CGeneralDlg::useLogFile_, kUseLogFile},
    {IDC_GENERAL_IGNORE_NET, &CGeneralDlg::ignoreNet_, kIgnoreNet},
    {IDC_GENERAL_USE_MUTEX, &CGeneralDlg::useMutex_, kUseMutex},
    {IDC_GENERAL_HIDE_TRAY_ICON, &CGeneralDlg::hideTrayIcon_, kUseTray},
    {IDC_GENERAL_ONLY_IF_LOCKED, &CGeneralDlg::onlyIfLocked_, kOnlyLogoffIfLocked},
    {IDC_GENERAL_ONLY_IF_SCREENSAVER, &CGeneralDlg::onlyIfScreenSaver_, kOnlyLogoffIfScreenSaver},
    {IDC_GENERAL_ENABLE_DAILY_LOGOFF, &CGeneralDlg::enableDailyLogoff_, kEnableDailyLogoff},
};

CGeneralDlg::CGeneralDlg(ConfigHost& host, Target target)
    : CConfigPage(IDD_GENERAL_PAGE, host, std::move(target)),
      idleMinutes_(SettingOf(kIdleMinutes).absentNumber),
      logoffScript_(SettingOf(kLogoffScript).absentText) {}

bool CGeneralDlg::OnInitPage() {
  // Nothing longer than the stored limit can be typed or pasted.
  LimitText(IDC_GENERAL_LOGOFF_SCRIPT, SettingOf(kLogoffScript).maxChars);
  LimitText(IDC_GENERAL_LOG_DIR, SettingOf(kLogDir).maxChars);

  if (ConfigKey key = OpenLocalCopyForReading(window(), keyPath(), IsSetup())) Read(key);
  // The service takes one condition or none. Both stored on (by hand) are
  // shown, and stored on OK, as the first alone, as if it had been clicked.
  if (onlyIfLocked_) ExcludeOther(IDC_GENERAL_ONLY_IF_LOCKED);
  FillControls();
  return true;
}

void CGeneralDlg::Read(const ConfigKey& key) {
  // Each value on its own: one missing or unreadable value shows its default.
  idleMinutes_ = key.ReadNumber(SettingOf(kIdleMinutes));  // 0 or above a week reads as 30
  enableDailyLogoff_ = key.ReadFlag(SettingOf(kEnableDailyLogoff));
  // Read even while daily logoff is off, so that turning it on shows the time it will use.
  dailyTime_ = key.ReadNumber(SettingOf(kDailyLogoffTime));
  logDir_ = key.ReadText(SettingOf(kLogDir));
  logoffScript_ = key.ReadText(SettingOf(kLogoffScript));  // empty reads as C:\autologoff.bat
  runScript_ = key.ReadFlag(SettingOf(kRunScript));
  useLogFile_ = key.ReadFlag(SettingOf(kUseLogFile));
  ignoreNet_ = key.ReadFlag(SettingOf(kIgnoreNet));
  // The icon is hidden only by a REG_DWORD zero; anything else shows it.
  hideTrayIcon_ = !key.ReadFlag(SettingOf(kUseTray));
  action_ = PageAction(key.ReadText(SettingOf(kAction)));
  // Programs are forced to exit unless a REG_DWORD zero says otherwise.
  forceExit_ = key.ReadFlag(SettingOf(kForceExit));
  useMutex_ = key.ReadFlag(SettingOf(kUseMutex));
  onlyIfLocked_ = key.ReadFlag(SettingOf(kOnlyLogoffIfLocked));
  onlyIfScreenSaver_ = key.ReadFlag(SettingOf(kOnlyLogoffIfScreenSaver));
}

void CGeneralDlg::FillControls() {
  // The three edits report this filling as changes of their own (EN_CHANGE).
  SetItemNumber(IDC_GENERAL_IDLE_MINUTES, idleMinutes_);
  SetItemText(IDC_GENERAL_LOGOFF_SCRIPT, logoffScript_);
  SetItemText(IDC_GENERAL_LOG_DIR, logDir_);
  for (const Box& box : kBoxes) CheckButton(box.id, this->*box.flag);
  CheckRadio(IDC_GENERAL_LOGOFF, IDC_GENERAL_REBOOT, RadioOf(action_));
  SetReadOnly(IDC_GENERAL_LOGOFF_SCRIPT, !runScript_);
  SetReadOnly(IDC_GENERAL_LOG_DIR, !useLogFile_);
  ShowDailyTime();
}

void CGeneralDlg::ShowDailyTime() {
  SetItemText(IDC_GENERAL_DAILY_LOGOFF_TIME, enableDailyLogoff_ ? FormatPackedTime(dailyTime_) : std::wstring());
}

bool CGeneralDlg::OnCommand(unsigned code, unsigned id, HWND control) {
  if (code != EN_CHANGE) return CConfigPage::OnCommand(code, id, control);
  switch (id) {
    case IDC_GENERAL_IDLE_MINUTES:
      OnIdleMinutesChanged();
      return true;
    case IDC_GENERAL_LOGOFF_SCRIPT:
      logoffScript_ = GetItemText(id);
      MarkChanged(SettingOf(kLogoffScript));
      return true;
    case IDC_GENERAL_LOG_DIR:
      logDir_ = GetItemText(id);
      MarkChanged(SettingOf(kLogDir));
      return true;
    default:
      return false;
  }
}

void CGeneralDlg::OnIdleMinutesChanged() {
  const Setting& idle = SettingOf(kIdleMinutes);
  DWORD minutes = LeadingNumber(GetItemText(IDC_GENERAL_IDLE_MINUTES));
  if (IsValidIdleMinutes(minutes)) {
    idleMinutes_ = minutes;
    MarkChanged(idle);
    return;
  }
  // An out-of-range count never reaches the store: the edit goes back to 30
  // (and reports that change in its turn).
  idleMinutes_ = idle.absentNumber;
  Message(FormatText(kInvalidValueFormat, idle.name, static_cast<int>(idle.min), static_cast<int>(idle.max)));
  SetItemNumber(IDC_GENERAL_IDLE_MINUTES, idleMinutes_);
}

bool CGeneralDlg::OnButtonClicked(unsigned id, HWND button) {
  for (size_t i = 0; i < std::size(kActionRadios); ++i) {
    if (id == kActionRadios[i]) {
      action_ = static_cast<Action>(i);
      MarkChanged(SettingOf(kAction));
      return true;
    }
  }
  for (const Box& box : kBoxes) {
    if (id == box.id) {
      OnBoxClicked(box);
      return true;
    }
  }
  if (id == IDC_GENERAL_SET_DAILY_TIME) {
    OnSetDailyTime();
    return true;
  }
  return CConfigPage::OnButtonClicked(id, button);
}

void CGeneralDlg::OnBoxClicked(const Box& box) {
  bool on = IsButtonChecked(box.id);
  this->*box.flag = on;
  MarkChanged(SettingOf(box.value));
  switch (box.id) {
    case IDC_GENERAL_RUN_SCRIPT:
      SetReadOnly(IDC_GENERAL_LOGOFF_SCRIPT, !on);
      if (on && IsSetup()) SetFocusTo(IDC_GENERAL_LOGOFF_SCRIPT);
      break;
    case IDC_GENERAL_USE_LOG_FILE:
      SetReadOnly(IDC_GENERAL_LOG_DIR, !on);
      break;
    case IDC_GENERAL_ENABLE_DAILY_LOGOFF:
      ShowDailyTime();
      break;
    case IDC_GENERAL_ONLY_IF_LOCKED:
    case IDC_GENERAL_ONLY_IF_SCREENSAVER:
      if (on) ExcludeOther(box.id);
      break;
    default:
      break;
  }
}

void CGeneralDlg::ExcludeOther(unsigned id) {
  bool locked = id == IDC_GENERAL_ONLY_IF_LOCKED;
  bool& other = locked ? onlyIfScreenSaver_ : onlyIfLocked_;
  if (!other) return;
  // The service takes one condition or none: the other box goes, and both values are marked.
  other = false;
  CheckButton(locked ? IDC_GENERAL_ONLY_IF_SCREENSAVER : IDC_GENERAL_ONLY_IF_LOCKED, false);
  MarkChanged(SettingOf(kOnlyLogoffIfLocked));
  MarkChanged(SettingOf(kOnlyLogoffIfScreenSaver));
}

void CGeneralDlg::OnSetDailyTime() {
  if (!enableDailyLogoff_) {
    if (Message(kEnableDailyLogoffQuestion, MB_YESNO) != IDYES) return;
    enableDailyLogoff_ = true;
    CheckButton(IDC_GENERAL_ENABLE_DAILY_LOGOFF, true);
    ShowDailyTime();
  }
  CDailyTimeDlg dialog(host(), target(), DailyTimeMode::Page);
  INT_PTR result = dialog.DoModal(window());
  // Marked whatever the dialog's answer: the box may have been turned on above.
  MarkChanged(SettingOf(kEnableDailyLogoff));
  if (result != IDOK) return;
  // Show what was stored, which is what the service will use.
  if (ConfigKey key = OpenForReading(ReadMode::CreateThenReadIfExisting)) {
    dailyTime_ = key.ReadNumber(SettingOf(kDailyLogoffTime));
    ShowDailyTime();
  }
}

bool CGeneralDlg::OnApply() {
  if (IsSetup()) {
    // setup has no masks: everything is written, into a version key that exists.
    if (ConfigKey key = OpenForWriting(WriteMode::CreateThenWriteIfExisting)) Write(key, true);
    return true;
  }
  ConfigKey key = OpenLocalCopyForWriting(window(), keyPath());
  if (!key) return true;
  Write(key, false);
  // The monitors copy a profile to its machines when its stamp changes.
  if (target().IsProfile()) WriteProfileStamp(key);
  return true;
}

void CGeneralDlg::Write(const ConfigKey& key, bool everything) const {
  const ChangeMasks* masks = host().masks();
  auto due = [&](const Setting& setting) { return everything || (masks && masks->IsMarked(setting.change)); };
  auto flag = [](bool on) -> DWORD { return on ? 1 : 0; };
  auto number = [&](const wchar_t* name, DWORD value) {
    const Setting& setting = SettingOf(name);
    return due(setting) ? key.Write(setting, value) : ERROR_SUCCESS;
  };
  auto text = [&](const wchar_t* name, const std::wstring& value) {
    const Setting& setting = SettingOf(name);
    if (due(setting)) key.Write(setting, value);
  };

  // Action and ForceExit first: their failures are the ones reported.
  const Setting& action = SettingOf(kAction);
  if (due(action)) {
    if (LSTATUS status = key.Write(action, ActionText(action_)); status != ERROR_SUCCESS) {
      host().ReportError(window(), status, kActionWriteContext);
    }
  }
  if (LSTATUS status = number(kForceExit, flag(forceExit_)); status != ERROR_SUCCESS) {
    host().ReportError(window(), status,
                       FormatText(kForceExitWriteFormat, keyPath().c_str(), kForceExit, static_cast<int>(forceExit_)));
  }
  // The other values follow in a fixed order; their failures go unreported.
  number(kIdleMinutes, idleMinutes_);
  number(kUseLogFile, flag(useLogFile_));
  text(kLogDir, logDir_);
  number(kRunScript, flag(runScript_));
  text(kLogoffScript, logoffScript_);
  number(kUseMutex, flag(useMutex_));
  number(kIgnoreNet, flag(ignoreNet_));
  number(kUseTray, flag(!hideTrayIcon_));
  number(kEnableDailyLogoff, flag(enableDailyLogoff_));
  number(kOnlyLogoffIfLocked, flag(onlyIfLocked_));
  number(kOnlyLogoffIfScreenSaver, flag(onlyIfScreenSaver_));
}

}  // namespace lullan::config
