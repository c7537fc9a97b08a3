#include "profile_server_fixture.h"

#include <sddl.h>

#include "resource.h"
#include "text_format.h"

namespace lullan::test {

namespace {
BOOL CALLBACK Collect(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}
}  // namespace

ProfileServerTest::ProfileServerTest() : clock(2026, 12, 7, 14, 5) {
  stamps_.Use(clock);
  app.InitInstance();  // the console has started once: its key exists
}

void ProfileServerTest::Profile(const std::wstring& profile) {
  WriteDword(HKEY_LOCAL_MACHINE, ProfileKey(profile) + L"\\Groups", L"Staff", 1);
}

std::vector<std::wstring> ProfileServerTest::Texts(const DialogSession& session) {
  std::vector<std::wstring> texts;
  for (const SeenDialog& box : session.boxes()) texts.push_back(box.caption + L": " + box.Text());
  return texts;
}

std::wstring ProfileServerTest::Box(const std::wstring& text) {
  return std::wstring(tarnel::kProgramTitle) + L": " + text;
}

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
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
  std::vector<std::wstring> entries;
  for (int i = 0, n = static_cast<int>(::SendDlgItemMessageW(dialog.parent, IDC_PROFILE_LIST, LB_GETCOUNT, 0, 0));
       i < n; ++i) {
    wchar_t text[256] = {};
    ::SendDlgItemMessageW(dialog.parent, IDC_PROFILE_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

void SelectProfile(HWND dialog, const std::wstring& profile) {
  LRESULT entry = ::SendDlgItemMessageW(dialog, IDC_PROFILE_LIST, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(profile.c_str()));
  ::SendDlgItemMessageW(dialog, IDC_PROFILE_LIST, LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

std::vector<std::wstring> KeyAcl(const std::wstring& path) {
  std::vector<std::wstring> entries;
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, &opened) != ERROR_SUCCESS) return entries;
  unique_hkey key(opened);
  std::vector<BYTE> descriptor(4096);
  DWORD size = static_cast<DWORD>(descriptor.size());
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  ACL* acl = nullptr;
  if (::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS ||
      !::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted) || !acl)
    return entries;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    wchar_t* sid = nullptr;
    if (!::GetAce(acl, i, reinterpret_cast<void**>(&ace)) || !::ConvertSidToStringSidW(&ace->SidStart, &sid)) break;
    unique_local_memory owned(sid);
    entries.push_back(FormatText(L"type %u flags 0x%x mask 0x%lx %s", ace->Header.AceType, ace->Header.AceFlags,
                                 static_cast<unsigned long>(ace->Mask), sid));
  }
  return entries;
}

}  // namespace lullan::test
