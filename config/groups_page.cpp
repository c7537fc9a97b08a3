#include "groups_page.h"

#include <commctrl.h>
#include <lm.h>

#include <algorithm>

#include "controls.h"
#include "group_props_dlg.h"
#include "handles.h"
#include "packed_time.h"
#include "platform.h"
#include "resource.h"
#include "text_format.h"
#include "wait_cursor.h"

namespace lullan::config {

namespace {

// The console names the target in its messages; setup has only one key.
constexpr wchar_t kCantOpenOnTarget[] = L"Can't open registry key %s on %s";
constexpr wchar_t kCantOpenForTarget[] = L"Can't open registry key %s for %s";
constexpr wchar_t kErrorSettingValue[] = L"Error %d setting value for registry key %s";

// The monitored list's image list: icon 0 marks a minutes group, icon 1 a
// clock-time group.
constexpr int kMinutesImage = 0;
constexpr int kClockTimeImage = 1;
int ImageOf(GroupKind kind) { return kind == GroupKind::Minutes ? kMinutesImage : kClockTimeImage; }

constexpr int kNameColumn = 0;
constexpr int kIdleValueColumn = 1;

// NetQueryDisplayInformation, level 3: the domain's global groups, in pages.
constexpr DWORD kGroupsLevel = 3;
constexpr DWORD kGroupsPerCall = 100;
constexpr DWORD kPreferredBytes = 131;

// What the lists can hold: a domain group name has at most GNLEN characters;
// a monitored name comes from a registry value name, which has at most
// 16383, its prefix included. "Idle value" texts are "10080" or "12:00 AM".
constexpr size_t kLongestValueName = 16383;
constexpr size_t kLongestIdleText = 15;

// Anything but 'm' is a clock-time group, a value written by hand under
// another letter included: the administrator sees it listed.
GroupKind KindOfValueName(const std::wstring& name) {
  return name.front() == kMinutesPrefix ? GroupKind::Minutes : GroupKind::ClockTime;
}

// The page tells a row's kind by its "Idle value": clock times have a colon.
GroupKind KindOfIdleText(const std::wstring& text) {
  return text.find(L':') != std::wstring::npos ? GroupKind::ClockTime : GroupKind::Minutes;
}

std::wstring IdleText(GroupKind kind, DWORD data) {
  return kind == GroupKind::Minutes ? FormatText(L"%ld", static_cast<long>(data)) : FormatPackedTime(data);
}

// A name column as wide as the list's string width of `sample`, but no wider
// than the list leaves beside `others` once its vertical scroll bar shows: a
// horizontal scroll bar would only hide the last row. Longer names end in
// "..." and show whole in the dialog.
int FittingWidth(const ui::CListView& list, std::wstring_view sample, int others) {
  RECT client{};
  ::GetClientRect(list, &client);
  const int room = client.right - ::GetSystemMetrics(SM_CXVSCROLL) - others;
  return std::min(list.StringWidth(sample), room);
}

std::wstring JoinNames(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (const std::wstring& name : names) {
    if (!joined.empty()) joined += L',';
    joined += name;
  }
  return joined;
}

// Holds a list's painting while many rows change: repainted row by row,
// five hundred groups take seconds.
class [[nodiscard]] PaintingHeld {
 public:
  explicit PaintingHeld(HWND list) noexcept : list_(list) { ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
  ~PaintingHeld() {
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
  }
  PaintingHeld(const PaintingHeld&) = delete;
  PaintingHeld& operator=(const PaintingHeld&) = delete;

 private:
  HWND list_;
};

std::vector<int> SelectedRows(const ui::CListView& list) {
  std::vector<int> rows;
  for (int row = list.GetNextSelected(); row >= 0; row = list.GetNextSelected(row)) rows.push_back(row);
  return rows;
}

}  // namespace

CGroupsDlg::CGroupsDlg(ConfigHost& host, Target target) : CConfigPage(IDD_GROUPS_PAGE, host, std::move(target)) {}

// ---------------------------------------------------------------------------
// Opening the page

bool CGroupsDlg::OnInitPage() {
  ui::WaitCursor wait;  // the domain controller may take its time
  if (!keyPath().empty()) groupsKeyPath_ = FormatText(L"%s\\Groups", keyPath().c_str());
  ReadPolicies();
  MeasureValueNames();
  PrepareLists();
  std::wstring domainController = ShowDomainController();
  FillMonitoredList();
  FillGlobalList(domainController);
  ShowPolicies();
  return true;
}

std::wstring CGroupsDlg::CantOpen(const std::wstring& path, const wchar_t* consoleFormat) const {
  if (IsSetup()) return FormatText(kCantOpenKeyFormat, path.c_str());
  return FormatText(consoleFormat, path.c_str(), target().text().c_str());
}

void CGroupsDlg::ReadPolicies() {
  if (keyPath().empty()) return;
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey key = ConfigKey::Create(keyPath(), KEY_QUERY_VALUE, &status, &existed);
  if (!key) {
    Message(CantOpen(keyPath(), kCantOpenOnTarget));
    return;
  }
  if (!existed) return;
  maxPolicy_ = key.ReadNumber(SettingOf(kMultiGroupMaxPol));
  clockPolicy_ = key.ReadNumber(SettingOf(kMultiGroupDltPol));
  preferPolicy_ = key.ReadNumber(SettingOf(kMultiGroupValPol));
  currentTime_ = key.ReadNumber(SettingOf(kDailyLogoffTime));
}

void CGroupsDlg::MeasureValueNames() {
  if (groupsKeyPath_.empty()) return;
  LSTATUS status = ERROR_SUCCESS;
  ConfigKey groups = ConfigKey::Open(groupsKeyPath_, KEY_QUERY_VALUE, &status);
  if (!groups) {
    // Reported as the page has always reported it; filling the list then
    // creates the subkey, so the page still opens with an empty list.
    Message(CantOpen(groupsKeyPath_, kCantOpenOnTarget));
    return;
  }
  DWORD longest = 0;
  status = ::RegQueryInfoKeyW(groups.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                              nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) {
    Message(FormatText(L"RegQueryInfoKey returned error %d", static_cast<int>(status)));
    return;
  }
  nameBufferLength_ = std::max<size_t>(longest, 100);
}

void CGroupsDlg::PrepareLists() {
  ui::CListView global(Item(IDC_GROUPS_GLOBAL_LIST));
  ui::CListView monitored(Item(IDC_GROUPS_MONITORED_LIST));
  global.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  monitored.SetExtendedStyle(LVS_EX_FULLROWSELECT);

  ui::CImageList images;
  if (images.Create(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), ILC_COLOR32 | ILC_MASK, 2, 0)) {
    images.AddIconResource(IDI_MINUTES_GROUP);
    images.AddIconResource(IDI_CLOCK_TIME_GROUP);
    monitored.SetImageList(images.release(), LVSIL_SMALL);  // the list destroys it
  }

  const int idleWidth = monitored.StringWidth(L"Idle value AM");
  global.InsertColumn(kNameColumn, L"Global groups", FittingWidth(global, L"The longest group name of all", 0));
  monitored.InsertColumn(kNameColumn, L"Monitored groups",
                         FittingWidth(monitored, L"The longest group name yo", idleWidth));
  monitored.InsertColumn(kIdleValueColumn, L"Idle value", idleWidth);
}

std::wstring CGroupsDlg::ShowDomainController() {
  ConfigHost::DomainController found = host().FindDomainController();
  if (found.status != NERR_Success) {
    // setup asks the network each time the page opens and says what went
    // wrong; the console found its controller (or none) at start-up.
    if (IsSetup()) {
      Message(found.status == NERR_DCNotFound
                  ? std::wstring(L"Domain controller not found")
                  : FormatText(L"Error %d trying to get domain controller.\r\nIs the network functioning?",
                               static_cast<int>(found.status)));
    }
    SetItemText(IDC_GROUPS_DOMAIN, L"No domain controller found");
    return {};
  }
  SetItemText(IDC_GROUPS_DOMAIN, FormatText(L"Using domain controller %s", found.name.c_str()));
  return found.name;
}

void CGroupsDlg::FillMonitoredList() {
  PaintingHeld painting(Item(IDC_GROUPS_MONITORED_LIST));
  ui::CListView(Item(IDC_GROUPS_MONITORED_LIST)).DeleteAll();
  if (groupsKeyPath_.empty()) return;
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey groups = ConfigKey::Create(groupsKeyPath_, KEY_QUERY_VALUE, &status, &existed);
  if (!groups) {
    Message(CantOpen(groupsKeyPath_, kCantOpenOnTarget));
    return;
  }

  GroupKind lastKind = GroupKind::Minutes;
  std::wstring name(nameBufferLength_ + 1, L'\0');  // and the terminator
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(name.size());
    status = ::RegEnumValueW(groups.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA && name.size() <= kLongestValueName) {
      name.resize(kLongestValueName + 1);  // a longer name was added since the page measured them
      continue;
    }
    if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS: all are listed
    ++index;
    std::wstring valueName(name.data(), length);
    if (valueName.size() < 2) continue;  // the default value, or a prefix without a group
    // Four bytes of data are the group's value; anything else reads as 0,
    // which the page shows and an Edit or Delete can put right.
    std::optional<StoredDword> stored = groups.QueryDword(valueName.c_str());
    GroupKind kind = KindOfValueName(valueName);
    lastKind = kind;
    DWORD data = stored ? stored->data : 0;
    InsertMonitored(valueName.substr(1), IdleValue{kind, data, IdleText(kind, data)});
  }
  currentKind_ = lastKind;
}

void CGroupsDlg::FillGlobalList(const std::wstring& domainController) {
  ui::CListView list(Item(IDC_GROUPS_GLOBAL_LIST));
  PaintingHeld painting(list);
  list.DeleteAll();
  if (domainController.empty()) return;
  DWORD index = 0;
  for (;;) {
    DWORD returned = 0;
    void* buffer = nullptr;
    NET_API_STATUS status = platform().domain->QueryDisplayInformation(
        domainController.c_str(), kGroupsLevel, index, kGroupsPerCall, kPreferredBytes, &returned, &buffer);
    unique_netapi_buffer page(buffer);
    if (status != NERR_Success && status != ERROR_MORE_DATA) {
      host().ReportError(window(), status, FormatText(L"NetQueryDisplayInformation on %s", domainController.c_str()));
      return;
    }
    const auto* groups = as<const NET_DISPLAY_GROUP>(page);
    if (!groups || returned == 0) return;  // nothing to go on from, whatever the status said
    for (DWORD i = 0; i < returned; ++i) {
      if (groups[i].grpi3_name) list.InsertItem(list.ItemCount(), groups[i].grpi3_name);
    }
    if (status != ERROR_MORE_DATA) return;
    index = groups[returned - 1].grpi3_next_index;
  }
}

void CGroupsDlg::ShowPolicies() {
  CheckRadio(IDC_GROUPS_MAX_BIGGEST, IDC_GROUPS_MAX_SMALLEST,
             maxPolicy_ ? IDC_GROUPS_MAX_SMALLEST : IDC_GROUPS_MAX_BIGGEST);
  CheckRadio(IDC_GROUPS_DLT_EARLIEST, IDC_GROUPS_DLT_LATEST,
             clockPolicy_ ? IDC_GROUPS_DLT_LATEST : IDC_GROUPS_DLT_EARLIEST);
  CheckRadio(IDC_GROUPS_VAL_MINUTES, IDC_GROUPS_VAL_CLOCK_TIME,
             preferPolicy_ ? IDC_GROUPS_VAL_CLOCK_TIME : IDC_GROUPS_VAL_MINUTES);
}

// ---------------------------------------------------------------------------
// The monitored list

bool CGroupsDlg::InsertMonitored(const std::wstring& name, const IdleValue& value) {
  ui::CListView list(Item(IDC_GROUPS_MONITORED_LIST));
  // The list sorts itself: the row lands where the name belongs.
  int row = list.InsertItem(list.ItemCount(), name, 0, ImageOf(value.kind));
  if (row < 0) {
    Message(L"Error inserting item into monitored groups list");
    return false;
  }
  if (!list.SetSubItem(row, kIdleValueColumn, value.text)) {
    Message(L"Error setting subitem in monitored group list");
    return false;
  }
  return true;
}

std::wstring CGroupsDlg::MonitoredName(int row) const {
  return ui::CListView(Item(IDC_GROUPS_MONITORED_LIST)).GetItemText(row, kNameColumn, kLongestValueName);
}

// Compared as the domain spells them: case matters.
std::set<std::wstring> CGroupsDlg::MonitoredNames() const {
  std::set<std::wstring> names;
  int rows = ui::CListView(Item(IDC_GROUPS_MONITORED_LIST)).ItemCount();
  for (int row = 0; row < rows; ++row) names.insert(MonitoredName(row));
  return names;
}

// ---------------------------------------------------------------------------
// The Groups subkey

bool CGroupsDlg::HasKey() const {
  if (!keyPath().empty()) return true;
  Message(kRegistryKeyNameMissingError);
  return false;
}

// Created when missing; one open serves a whole command, so a key that cannot
// be opened is reported once, not once per group.
ConfigKey CGroupsDlg::OpenGroupsForWriting() const {
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey groups = ConfigKey::Create(groupsKeyPath_, KEY_WRITE, &status, &existed);
  if (!groups) Message(CantOpen(groupsKeyPath_, kCantOpenOnTarget));
  return groups;
}

bool CGroupsDlg::WriteGroupValue(const ConfigKey& groups, const std::wstring& name, const IdleValue& value) {
  LSTATUS status = groups.WriteDword(GroupValueName(value.kind, name).c_str(), value.data);
  if (status != ERROR_SUCCESS) {
    Message(FormatText(kErrorSettingValue, static_cast<int>(status), name.c_str()));
    return false;
  }
  host().MarkChanged(kGroupsChangeBit);
  return true;
}

bool CGroupsDlg::DeleteGroupValue(const ConfigKey& groups, const std::wstring& valueName) {
  LSTATUS status = ::RegDeleteValueW(groups.get(), valueName.c_str());
  if (status != ERROR_SUCCESS) {
    Message(FormatText(L"Error %d deleting \"%s\" from registry.", static_cast<int>(status), valueName.c_str()));
    return false;
  }
  // A removed group is a change the console has to carry back like any other.
  host().MarkChanged(kGroupsChangeBit);
  return true;
}

// ---------------------------------------------------------------------------
// Add, Edit, Delete

bool CGroupsDlg::OnButtonClicked(unsigned id, HWND button) {
  switch (id) {
    case IDC_GROUPS_ADD:
      Add();
      return true;
    case IDC_GROUPS_EDIT:
      Edit();
      return true;
    case IDC_GROUPS_DELETE:
      Delete();
      return true;
    default:
      return CConfigPage::OnButtonClicked(id, button);
  }
}

// A double click on a row acts as the button beside its list.
bool CGroupsDlg::OnNotify(unsigned id, NMHDR* header, LRESULT& result) {
  if (header->code == NM_DBLCLK && reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem >= 0) {
    if (id == IDC_GROUPS_GLOBAL_LIST) {
      Add();
      return true;
    }
    if (id == IDC_GROUPS_MONITORED_LIST) {
      Edit();
      return true;
    }
  }
  return CConfigPage::OnNotify(id, header, result);
}

// The dialog on `names` with the page's presets; the chosen value, or nullopt
// when the administrator cancelled or chose no usable minutes.
std::optional<CGroupsDlg::IdleValue> CGroupsDlg::AskIdleValue(const std::vector<std::wstring>& names) {
  CGroupPropsDlg props(host(), target(), JoinNames(names), currentKind_, currentMinutesText_, currentTime_);
  if (props.DoModal(window()) != IDOK) return std::nullopt;
  if (props.kind() == GroupKind::Minutes) {
    long minutes = props.minutes();
    if (minutes < static_cast<long>(kMinIdleMinutes) || minutes > static_cast<long>(kMaxIdleMinutes)) {
      Message(L"Can't get idle minute value");
      return std::nullopt;
    }
    currentKind_ = GroupKind::Minutes;
    currentMinutesText_ = IdleText(GroupKind::Minutes, static_cast<DWORD>(minutes));
    return IdleValue{GroupKind::Minutes, static_cast<DWORD>(minutes), currentMinutesText_};
  }
  currentKind_ = GroupKind::ClockTime;
  currentTime_ = props.packedTime();
  return IdleValue{GroupKind::ClockTime, currentTime_, IdleText(GroupKind::ClockTime, currentTime_)};
}

void CGroupsDlg::Add() {
  ui::CListView global(Item(IDC_GROUPS_GLOBAL_LIST));
  std::vector<int> selected = SelectedRows(global);
  if (selected.empty()) {
    Message(L"No group(s) selected");
    return;
  }
  const std::set<std::wstring> monitored = MonitoredNames();
  std::vector<std::wstring> names;
  for (int row : selected) {
    std::wstring name = global.GetItemText(row, kNameColumn, GNLEN);
    if (name.empty()) {
      Message(L"Error getting listbox item data");
      continue;
    }
    if (monitored.count(name) == 0) names.push_back(std::move(name));
  }
  if (names.empty()) {
    Message(L"Nothing to add!");
    return;
  }
  if (!HasKey()) return;

  if (currentKind_ == GroupKind::ClockTime) currentMinutesText_.clear();
  std::optional<IdleValue> value = AskIdleValue(names);
  if (!value) return;
  ConfigKey groups = OpenGroupsForWriting();
  if (!groups) return;
  // A group whose value could not be written is not shown as monitored.
  PaintingHeld painting(Item(IDC_GROUPS_MONITORED_LIST));
  for (const std::wstring& name : names) {
    if (WriteGroupValue(groups, name, *value)) InsertMonitored(name, *value);
  }
}

void CGroupsDlg::Edit() {
  ui::CListView list(Item(IDC_GROUPS_MONITORED_LIST));
  std::vector<int> selected = SelectedRows(list);
  if (selected.empty()) {
    Message(L"No monitored group(s) selected");
    return;
  }

  // The presets come from the selection: the last row's kind, its clock time
  // or minutes, and no minutes at all when the minutes rows disagree.
  std::vector<MonitoredRow> rows;
  std::vector<std::wstring> names;
  GroupKind kind = currentKind_;
  DWORD time = currentTime_;
  std::wstring lastText;
  std::optional<long> lastMinutes;
  bool differentValues = false;
  for (int row : selected) {
    std::wstring name = MonitoredName(row);
    if (name.empty()) {
      Message(L"Error getting listbox item data");
      continue;
    }
    std::wstring text = list.GetItemText(row, kIdleValueColumn, kLongestIdleText);
    if (text.empty()) {
      Message(L"Error getting listbox subitem data");
      continue;
    }
    kind = KindOfIdleText(text);
    if (kind == GroupKind::ClockTime) {
      time = ScanPackedTime(text.c_str());
    } else {
      long minutes = ScanWholeNumber(text).value_or(0);
      if (minutes < static_cast<long>(kMinIdleMinutes) || minutes > static_cast<long>(kMaxIdleMinutes)) {
        Message(L"Yikes: idle minute value out of range.");
      } else {
        if (lastMinutes && *lastMinutes != minutes && !differentValues) {
          if (Message(L"You are about to change multiple items with different values.  Are you sure you want to do "
                      L"this?",
                      MB_YESNO) != IDYES) {
            return;
          }
          differentValues = true;
        }
        lastMinutes = minutes;
      }
    }
    lastText = text;
    names.push_back(name);
    rows.push_back(MonitoredRow{row, std::move(name), kind});
  }
  if (rows.empty() || !HasKey()) return;

  currentKind_ = kind;
  currentTime_ = time;
  currentMinutesText_ = kind == GroupKind::Minutes && !differentValues ? lastText : std::wstring();
  std::optional<IdleValue> value = AskIdleValue(names);
  if (!value) return;
  ConfigKey groups = OpenGroupsForWriting();
  if (!groups) return;
  PaintingHeld painting(list);
  for (const MonitoredRow& row : rows) {
    if (!WriteGroupValue(groups, row.name, *value)) continue;
    // A group has one value: the one under its old kind goes.
    if (row.kind != value->kind) DeleteGroupValue(groups, GroupValueName(row.kind, row.name));
    list.SetSubItem(row.row, kIdleValueColumn, value->text);
    list.SetItemImage(row.row, ImageOf(value->kind));
  }
}

void CGroupsDlg::Delete() {
  ui::CListView list(Item(IDC_GROUPS_MONITORED_LIST));
  std::vector<int> selected = SelectedRows(list);
  if (selected.empty()) {
    Message(L"No item(s) selected");
    return;
  }
  if (!HasKey()) return;
  LSTATUS status = ERROR_SUCCESS;
  ConfigKey groups = ConfigKey::Open(groupsKeyPath_, KEY_ALL_ACCESS, &status);
  if (!groups) Message(CantOpen(groupsKeyPath_, kCantOpenForTarget));

  // Rows go last to first once their values are gone, so that removing one
  // does not move the next selected row out from under the loop.
  PaintingHeld painting(list);
  std::vector<int> removed;
  for (int row : selected) {
    std::wstring name = MonitoredName(row);
    if (name.empty()) {
      Message(L"Error getting group name from list control");
      continue;
    }
    GroupKind kind = KindOfIdleText(list.GetItemText(row, kIdleValueColumn, kLongestIdleText));
    if (groups) DeleteGroupValue(groups, GroupValueName(kind, name));
    removed.push_back(row);
  }
  for (auto row = removed.rbegin(); row != removed.rend(); ++row) list.DeleteItem(*row);
}

// ---------------------------------------------------------------------------
// Leaving and OK: the policies

void CGroupsDlg::TakePolicies() {
  maxPolicy_ = IsButtonChecked(IDC_GROUPS_MAX_SMALLEST) ? 1 : 0;
  clockPolicy_ = IsButtonChecked(IDC_GROUPS_DLT_LATEST) ? 1 : 0;
  preferPolicy_ = IsButtonChecked(IDC_GROUPS_VAL_CLOCK_TIME) ? 1 : 0;
}

bool CGroupsDlg::OnKillActive() {
  TakePolicies();
  return true;
}

void CGroupsDlg::WritePolicy(const ConfigKey& key, const wchar_t* name, DWORD policy) {
  const Setting& setting = SettingOf(name);
  LSTATUS status = key.Write(setting, policy);
  if (status != ERROR_SUCCESS) Message(FormatText(kErrorSettingValue, static_cast<int>(status), name));
  MarkWritten(setting, status);
}

bool CGroupsDlg::OnApply() {
  TakePolicies();
  if (!HasKey()) return true;
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey key = ConfigKey::Create(keyPath(), KEY_WRITE, &status, &existed);
  if (!key) {
    Message(FormatText(kCantOpenKeyFormat, keyPath().c_str()));
    Message(L"Error writing to registry");
    return true;
  }
  WritePolicy(key, kMultiGroupMaxPol, maxPolicy_);
  WritePolicy(key, kMultiGroupDltPol, clockPolicy_);
  WritePolicy(key, kMultiGroupValPol, preferPolicy_);
  return true;
}

}  // namespace lullan::config
