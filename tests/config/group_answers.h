// Steps and answers for the Groups page and its group properties dialog, as
// the administrator takes them: selecting rows of a list and choosing a
// group's idle minutes.
//
//   admin.Do(L"select Sales", SelectRows(IDC_GROUPS_GLOBAL_LIST, {L"Sales"}))
//       .Click(IDC_GROUPS_ADD)
//       .Answer(GroupMinutes(L"20"));
#pragma once

#include <windows.h>
#include <prsht.h>

#include <set>
#include <string>

#include "controls.h"
#include "dialog_answerer.h"
#include "dialog_session.h"
#include "resource.h"

namespace lullan::test {

// Selects exactly the rows named (all of them for {L"*"}) in a list of the
// sheet's current page, as Ctrl+clicks would.
inline DialogSession::Step SelectRows(unsigned listId, std::set<std::wstring> names) {
  return [listId, names](HWND sheet) {
    ui::CListView list(::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), static_cast<int>(listId)));
    for (int i = 0; i < list.ItemCount(); ++i) list.Select(i, names.count(L"*") || names.count(list.GetItemText(i, 0)));
  };
}

// Answers the group properties dialog: "After idle time expires", `minutes`, OK.
inline DialogAnswerer::Action GroupMinutes(std::wstring minutes) {
  return [minutes](HWND props) {
    ::CheckRadioButton(props, IDC_GROUPPROPS_AFTER_IDLE, IDC_GROUPPROPS_AT_TIME, IDC_GROUPPROPS_AFTER_IDLE);
    DialogAnswerer::PressButton(props, IDC_GROUPPROPS_AFTER_IDLE);
    ::SetDlgItemTextW(props, IDC_GROUPPROPS_MINUTES, minutes.c_str());
    DialogAnswerer::PressButton(props, IDOK);
  };
}

}  // namespace lullan::test
