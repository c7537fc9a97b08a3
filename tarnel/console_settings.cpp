#include "console_settings.h"

#include <algorithm>

#include "handles.h"
#include "message_box.h"
#include "registry_values.h"
#include "remote_keys.h"
#include "text_format.h"

namespace lullan::tarnel {

namespace {

void ReadSetting(HKEY key, const wchar_t* name, bool& setting) {
  if (std::optional<DWORD> value = ReadDword(key, name)) setting = *value != 0;
}

}  // namespace

ConsoleSettings ReadConsoleSettings(HWND owner, const std::wstring& consoleKeyPath) {
  ConsoleSettings settings;
  bool created = false;
  unique_hkey key = CreateKey(HKEY_LOCAL_MACHINE, consoleKeyPath, KEY_QUERY_VALUE, nullptr, &created);
  if (!key) {
    ui::ShowMessage(owner, FormatText(L"opening registry key %s", consoleKeyPath.c_str()));
    return settings;
  }
  // A key created just now holds nothing, and its first run purges nothing.
  if (created) return settings;
  ReadSetting(key.get(), L"Debug", settings.debug);
  ReadSetting(key.get(), L"EnableWin9x", settings.enableWin9x);
  settings.purge = true;
  ReadSetting(key.get(), L"Purge", settings.purge);
  if (std::optional<DWORD> probes = ReadDword(key.get(), L"ProbeThreads"))
    settings.probeThreads = std::min(*probes, kMostProbeThreads);
  return settings;
}

}  // namespace lullan::tarnel
