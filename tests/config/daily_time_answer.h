// Answers the daily logoff time dialog ("Set Daily Logoff Time:") when a page
// or another dialog opens it: types the hour and the minute, picks A.M. or
// P.M. and presses OK, as the administrator would.
//
//   admin.Click(IDC_GENERAL_SET_DAILY_TIME).Answer(SetDailyTime(L"05", L"30", kPM));
#pragma once

#include <windows.h>

#include <string>

#include "dialog_answerer.h"
#include "resource.h"

namespace lullan::test {

inline constexpr bool kAM = false;
inline constexpr bool kPM = true;

inline DialogAnswerer::Action SetDailyTime(std::wstring hour, std::wstring minute, bool pm) {
  return [hour, minute, pm](HWND dialog) {
    ::SetDlgItemTextW(dialog, IDC_DAILY_HOUR, hour.c_str());
    ::SetDlgItemTextW(dialog, IDC_DAILY_MINUTE, minute.c_str());
    // Posted, so the click and then OK arrive once the dialog is up.
    ::PostMessageW(::GetDlgItem(dialog, pm ? IDC_DAILY_PM : IDC_DAILY_AM), BM_CLICK, 0, 0);
    DialogAnswerer::PressButton(dialog, IDOK);
  };
}

}  // namespace lullan::test
