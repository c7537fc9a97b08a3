// The Groups page: domain global groups with an idle limit of their own,
// either idle minutes or a clock time, and how a user in several such groups
// is treated. It lists the domain's global groups (from a domain controller)
// beside the groups the target's Groups subkey monitors.
//
// Add, Edit and Delete write the Groups subkey at once (cancelling the sheet
// does not undo them); the three policies are written by OK. Lists of group
// names are held whole, so selecting hundreds of groups loses none.
#pragma once

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config_page.h"
#include "group_values.h"

namespace lullan::config {

class CGroupPropsDlg;

class CGroupsDlg final : public CConfigPage {
 public:
  CGroupsDlg(ConfigHost& host, Target target = {});

 private:
  // A kind and value chosen in the group properties dialog, with the text
  // the "Idle value" column shows for it.
  struct IdleValue {
    GroupKind kind;
    DWORD data;
    std::wstring text;
  };
  // A selected monitored row, as Edit and Delete read it.
  struct MonitoredRow {
    int row;
    std::wstring name;
    GroupKind kind;
  };

  bool OnInitPage() override;
  bool OnKillActive() override;
  bool OnApply() override;
  bool OnButtonClicked(unsigned id, HWND button) override;
  bool OnNotify(unsigned id, NMHDR* header, LRESULT& result) override;

  void ReadPolicies();
  void MeasureValueNames();
  void PrepareLists();
  std::wstring ShowDomainController();
  void FillMonitoredList();
  void FillGlobalList(const std::wstring& domainController);
  void ShowPolicies();
  void TakePolicies();
  void WritePolicy(const ConfigKey& key, const wchar_t* name, DWORD policy);

  void Add();
  void Edit();
  void Delete();
  std::optional<IdleValue> AskIdleValue(const std::vector<std::wstring>& names);

  bool InsertMonitored(const std::wstring& name, const IdleValue& value);
  std::set<std::wstring> MonitoredNames() const;
  std::wstring MonitoredName(int row) const;

  // The Groups subkey, with the messages of this page.
  bool HasKey() const;
  ConfigKey OpenGroupsForWriting() const;
  bool WriteGroupValue(const ConfigKey& groups, const std::wstring& name, const IdleValue& value);
  bool DeleteGroupValue(const ConfigKey& groups, const std::wstring& valueName);
  std::wstring CantOpen(const std::wstring& path, const wchar_t* consoleFormat) const;

  std::wstring groupsKeyPath_;
  DWORD maxPolicy_ = 1;     // MultiGroupMaxPol: 0 Biggest, 1 Smallest
  DWORD clockPolicy_ = 0;   // MultiGroupDltPol: 0 Earliest, 1 Latest
  DWORD preferPolicy_ = 0;  // MultiGroupValPol: 0 Minutes, 1 Clock time
  // The presets of the group properties dialog: what was last read or chosen.
  GroupKind currentKind_ = GroupKind::Minutes;
  DWORD currentTime_ = 0;
  std::wstring currentMinutesText_;
  size_t nameBufferLength_ = 100;  // the Groups subkey's longest value name, at least 100
};

}  // namespace lullan::config
