// Store access for the configuration pages: how a page opens its target key
// (under HKEY_LOCAL_MACHINE) to read or to write, and the one place where
// stored values are read. Every page reads through ConfigKey, so a value of
// the wrong type, of the wrong size or without its terminator is never
// misread and never overruns a buffer: it reads as if it were absent, and the
// page shows the schema's default.
//
//   ConfigKey key = ConfigKey::ForReading(page, path, ReadMode::CreateThenReadIfExisting);
//   if (key) idle = key.ReadNumber(*FindSetting(kIdleMinutes));
//
// Opening failures show "Can't open registry key %s" with the path, owned by
// the page; the page then keeps its defaults (reading) or writes nothing. An
// empty path opens nothing and shows nothing (the page has its own message
// for it): opened as it stands, it would name HKEY_LOCAL_MACHINE itself.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "handles.h"
#include "schema.h"

namespace lullan::config {

// The messages of a page whose target key path is empty. Each page shows the
// one its behaviour names, once, and then reads or writes nothing.
inline constexpr wchar_t kLocalCopyKeyMissing[] = L"Error: local copy of registry key missing";    // writing
inline constexpr wchar_t kLocalCopyNameMissing[] = L"Error: missing local copy of registry name";  // reading
inline constexpr wchar_t kRegistryKeyNameMissingError[] = L"Error: registry key name missing";     // Groups
inline constexpr wchar_t kRegistryKeyNameMissing[] = L"Registry key name missing";  // Notification, Tuning
inline constexpr wchar_t kCantOpenKeyFormat[] = L"Can't open registry key %s";

enum class ReadMode {
  OpenExisting,              // RegOpenKeyExW, KEY_READ
  CreateThenReadIfExisting,  // RegCreateKeyExW, KEY_QUERY_VALUE; a key that had to be created is left empty
};

enum class WriteMode {
  OpenExisting,               // RegOpenKeyExW, KEY_ALL_ACCESS
  CreateThenWriteIfExisting,  // RegCreateKeyExW, KEY_ALL_ACCESS; a key that had to be created gets nothing
  CreateAndWrite,             // RegCreateKeyExW, KEY_ALL_ACCESS; written whether or not it existed
};

class ConfigKey {
 public:
  ConfigKey() = default;

  // A key to read from, or a closed one when nothing is to be read: the open
  // failed (after the message) or the key had to be created.
  static ConfigKey ForReading(HWND owner, const std::wstring& path, ReadMode mode);
  // A key to write into, or a closed one when nothing is to be written.
  static ConfigKey ForWriting(HWND owner, const std::wstring& path, WriteMode mode);

  // The plain calls, without messages, for pages whose messages differ.
  static ConfigKey Open(const std::wstring& path, REGSAM access, LSTATUS* status);
  static ConfigKey Create(const std::wstring& path, REGSAM access, LSTATUS* status, bool* existed);

  explicit operator bool() const noexcept { return static_cast<bool>(key_); }
  HKEY get() const noexcept { return key_.get(); }

  // Reading, each value on its own. A query that fails, or a value that is not
  // what the reader expects, gives nullopt.
  // Exactly four bytes, of any type (the type is handed back for the schema's rules).
  std::optional<StoredDword> QueryDword(const wchar_t* name) const;
  // A REG_SZ (or REG_EXPAND_SZ, unexpanded) text of any stored size, up to its
  // first null character and at most `maxChars` characters.
  std::optional<std::wstring> QueryText(const wchar_t* name, size_t maxChars = kUnlimited) const;

  // The schema's reading rules on top: what the page shows. A number outside
  // the value's range reads as its default, whatever type it was taken from.
  DWORD ReadNumber(const Setting& setting) const;
  bool ReadFlag(const Setting& setting) const { return ReadNumber(setting) != 0; }
  std::wstring ReadText(const Setting& setting) const;

  // Writing: DWORDs as four bytes, texts with their terminator counted, cut
  // to the value's longest text.
  LSTATUS WriteDword(const wchar_t* name, DWORD value) const;
  LSTATUS WriteText(const wchar_t* name, std::wstring_view text) const;
  LSTATUS Write(const Setting& setting, DWORD value) const { return WriteDword(setting.name, value); }
  LSTATUS Write(const Setting& setting, std::wstring_view text) const {
    return WriteText(setting.name, CutToLimit(setting, text));
  }

 private:
  explicit ConfigKey(HKEY key) noexcept : key_(key) {}
  unique_hkey key_;
};

// The setting of that name in the schema; the names are spelled once there,
// so a miss is a programming error (it throws a std::exception).
const Setting& SettingOf(const wchar_t* name);

}  // namespace lullan::config
