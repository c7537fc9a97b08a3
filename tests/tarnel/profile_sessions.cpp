#include "profile_sessions.h"

#include <sddl.h>

#include "handles.h"
#include "resource.h"
#include "text_format.h"

namespace lullan::test {

namespace {

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> OwnedDialogs(HWND owner) {
  std::vector<HWND> dialogs;
  for (HWND window : ThreadWindows()) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, ARRAYSIZE(className));
    if (::GetWindow(window, GW_OWNER) == owner && ::lstrcmpW(className, L"#32770") == 0) dialogs.push_back(window);
  }
  return dialogs;
}

DialogAnswerer::Action NewProfileName(std::wstring name) {
  return [name](HWND dialog) {
    ::SetDlgItemTextW(dialog, IDC_NEW_PROFILE_NAME, name.c_str());
    DialogAnswerer::PressButton(dialog, IDOK);
  };
}

DialogAnswerer::Action ChooseProfile(std::wstring profile) {
  return [profile](HWND dialog) {
    if (!profile.empty()) SelectProfile(dialog, profile);
    DialogAnswerer::PressButton(dialog, IDCANCEL);
  };
}

std::vector<std::wstring> ProfileEntries(const Controls& dialog) {
  HWND list = dialog.Item(IDC_PROFILE_LIST);
  std::vector<std::wstring> entries;
  for (LRESULT i = 0, count = ::SendMessageW(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
    std::wstring text(static_cast<size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    entries.push_back(text);
  }
  return entries;
}

void SelectProfile(HWND dialog, const std::wstring& profile) {
  HWND list = ::GetDlgItem(dialog, IDC_PROFILE_LIST);
  LRESULT entry =
      ::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(profile.c_str()));
  ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

std::vector<std::wstring> KeyAcl(const std::wstring& path) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, &opened) != ERROR_SUCCESS) return {};
  unique_hkey key(opened);
  DWORD size = 0;
  ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
  std::vector<BYTE> descriptor(size);
  if (size == 0 || ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS)
    return {};
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  ACL* acl = nullptr;
  if (!::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted) || !present || !acl) return {};
  std::vector<std::wstring> entries;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(acl, i, &ace)) break;
    auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
      entries.push_back(FormatText(L"type %u", static_cast<unsigned>(header->AceType)));
      continue;
    }
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    wchar_t* sid = nullptr;
    std::wstring sidText = ::ConvertSidToStringSidW(&allowed->SidStart, &sid) ? sid : L"?";
    unique_local_memory sidMemory(sid);
    std::wstring entry = FormatText(L"allow 0x%lx %s", static_cast<unsigned long>(allowed->Mask), sidText.c_str());
    if (header->AceFlags) entry += FormatText(L" flags 0x%x", static_cast<unsigned>(header->AceFlags));
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace lullan::test
