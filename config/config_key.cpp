#include "config_key.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "message_box.h"
#include "text_format.h"

namespace lullan::config {

namespace {
void ShowCantOpen(HWND owner, const std::wstring& path) {
  ui::ShowMessage(owner, FormatText(kCantOpenKeyFormat, path.c_str()));
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Not std::logic_error, whose message string would bring the runtime's
// copy-on-write strings into every program that shows a page (some 40 KB).
class MissingSetting final : public std::exception {
 public:
  const char* what() const noexcept override { return "a configuration value missing from the schema"; }
};
}  // namespace

const Setting& SettingOf(const wchar_t* name) {
  const Setting* setting = FindSetting(name);
  if (!setting) throw MissingSetting();
  return *setting;
}

ConfigKey ConfigKey::Open(const std::wstring& path, REGSAM access, LSTATUS* status) {
  HKEY key = nullptr;
  *status = path.empty() ? ERROR_BAD_PATHNAME : ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key);
  return ConfigKey(*status == ERROR_SUCCESS ? key : nullptr);
}

ConfigKey ConfigKey::Create(const std::wstring& path, REGSAM access, LSTATUS* status, bool* existed) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  wchar_t noClass[] = L"";
  *status = path.empty() ? ERROR_BAD_PATHNAME
                         : ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                                             access, nullptr, &key, &disposition);
  *existed = *status == ERROR_SUCCESS && disposition == REG_OPENED_EXISTING_KEY;
  return ConfigKey(*status == ERROR_SUCCESS ? key : nullptr);
}

ConfigKey ConfigKey::ForReading(HWND owner, const std::wstring& path, ReadMode mode) {
  if (path.empty()) return ConfigKey();  // the page says so in its own words
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey key =
      mode == ReadMode::OpenExisting ? Open(path, KEY_READ, &status) : Create(path, KEY_QUERY_VALUE, &status, &existed);
  if (!key) {
    ShowCantOpen(owner, path);
    return key;
  }
  if (mode == ReadMode::CreateThenReadIfExisting && !existed) return ConfigKey();
  return key;
}

ConfigKey ConfigKey::ForWriting(HWND owner, const std::wstring& path, WriteMode mode) {
  if (path.empty()) return ConfigKey();
  LSTATUS status = ERROR_SUCCESS;
  bool existed = false;
  ConfigKey key = mode == WriteMode::OpenExisting ? Open(path, KEY_ALL_ACCESS, &status)
                                                  : Create(path, KEY_ALL_ACCESS, &status, &existed);
  if (!key) {
    ShowCantOpen(owner, path);
    return key;
  }
  if (mode == WriteMode::CreateThenWriteIfExisting && !existed) return ConfigKey();
  return key;
}

std::optional<StoredDword> ConfigKey::QueryDword(const wchar_t* name) const {
  StoredDword stored{REG_NONE, 0};
  DWORD size = sizeof stored.data;
  LSTATUS status =
      ::RegQueryValueExW(key_.get(), name, nullptr, &stored.type, reinterpret_cast<BYTE*>(&stored.data), &size);
  // A longer value fails with ERROR_MORE_DATA; a shorter one would leave bytes unset.
  if (status != ERROR_SUCCESS || size != sizeof stored.data) return std::nullopt;
  return stored;
}

std::optional<std::wstring> ConfigKey::QueryText(const wchar_t* name, size_t maxChars) const {
  // The size can change between the two calls (someone else writes); try again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (::RegQueryValueExW(key_.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || !IsText(type))
      return std::nullopt;
    // One spare character, so that data without a terminator still ends in one.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = size;
    LSTATUS status = ::RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || !IsText(type)) return std::nullopt;
    size_t chars = read / sizeof(wchar_t);  // an odd last byte is not a character
    std::wstring text(data.data(), chars);
    text.resize(std::min(text.find(L'\0'), std::min(text.size(), maxChars)));
    return text;
  }
  return std::nullopt;
}

DWORD ConfigKey::ReadNumber(const Setting& setting) const {
  DWORD number = config::ReadNumber(setting, QueryDword(setting.name));
  if (setting.kind == Kind::Number && (number < setting.min || number > setting.max)) return setting.absentNumber;
  return number;
}

std::wstring ConfigKey::ReadText(const Setting& setting) const {
  return config::ReadText(setting, QueryText(setting.name, setting.maxChars));
}

LSTATUS ConfigKey::WriteDword(const wchar_t* name, DWORD value) const {
  return ::RegSetValueExW(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LSTATUS ConfigKey::WriteText(const wchar_t* name, std::wstring_view text) const {
  std::wstring terminated(text);
  size_t bytes = (terminated.size() + 1) * sizeof(wchar_t);
  if (bytes > MAXDWORD) return ERROR_INVALID_PARAMETER;
  return ::RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(terminated.c_str()),
                          static_cast<DWORD>(bytes));
}

}  // namespace lullan::config
