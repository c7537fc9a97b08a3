#include "install_session.h"

namespace lullan::msi {

std::wstring InstallSession::Property(const wchar_t* name) const {
  std::wstring value(64, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size());
    UINT status = ::MsiGetPropertyW(handle_, name, value.data(), &size);
    if (status == ERROR_MORE_DATA) {
      value.resize(size + 1);
      continue;
    }
    value.resize(status == ERROR_SUCCESS ? size : 0);
    return value;
  }
}

void InstallSession::SetProperty(const wchar_t* name, const std::wstring& value) const {
  ::MsiSetPropertyW(handle_, name, value.c_str());
}

void InstallSession::Log(std::wstring_view text) const { Message(INSTALLMESSAGE_INFO, text); }

UINT InstallSession::Fail(std::wstring_view text) const {
  Message(static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), text);
  return ERROR_INSTALL_FAILURE;
}

void InstallSession::Message(INSTALLMESSAGE kind, std::wstring_view text) const {
  // The text goes in as a field, not as the template, so that brackets in a
  // path or a name are never taken for properties.
  unique_msihandle record(::MsiCreateRecord(1));
  if (!record) return;
  ::MsiRecordSetStringW(record.get(), 0, L"[1]");
  ::MsiRecordSetStringW(record.get(), 1, std::wstring(text).c_str());
  ::MsiProcessMessage(handle_, kind, record.get());
}

std::wstring JoinFields(const std::vector<std::wstring>& fields) {
  std::wstring data;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) data += L'\n';
    data += fields[i];
  }
  return data;
}

std::vector<std::wstring> SplitFields(std::wstring_view data, size_t count) {
  std::vector<std::wstring> fields;
  while (fields.size() + 1 < count) {
    size_t end = data.find(L'\n');
    if (end == std::wstring_view::npos) break;
    fields.emplace_back(data.substr(0, end));
    data.remove_prefix(end + 1);
  }
  fields.emplace_back(data);
  return fields;
}

}  // namespace lullan::msi
