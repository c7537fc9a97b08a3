#include "config_reader.h"

#include <vector>

#include "handles.h"
#include "product.h"
#include "registry_value.h"
#include "schema.h"

namespace lullan::engine {

namespace {

// No text of the configuration comes near this; a longer one is refused
// rather than read into memory whatever its size.
constexpr size_t kLongestText = 32768;  // characters

class ValueReader {
 public:
  explicit ValueReader(HKEY key) : key_(key) {}

  DWORD Number(const wchar_t* name) const {
    const config::Setting& setting = Setting(name);
    std::optional<registry::TypedDword> stored = registry::TryGetTypedDword(key_, name);
    std::optional<config::StoredDword> query;
    if (stored) query = config::StoredDword{stored->type, stored->data};
    DWORD number = config::ReadNumber(setting, query);
    // As the pages read it: a number outside its range reads as its default,
    // whatever type it was taken from.
    if (setting.kind == config::Kind::Number && (number < setting.min || number > setting.max))
      return setting.absentNumber;
    return number;
  }
  bool Flag(const wchar_t* name) const { return Number(name) != 0; }

  std::wstring Text(const wchar_t* name, bool expand = false) const {
    const config::Setting& setting = Setting(name);
    std::optional<std::wstring> stored = expand ? registry::TryGetExpandedText(key_, name, kLongestText)
                                                : registry::TryGetText(key_, name, kLongestText);
    if (stored && setting.maxChars != config::kUnlimited && stored->size() > setting.maxChars)
      stored->resize(setting.maxChars);
    return config::ReadText(setting, stored);
  }

 private:
  static const config::Setting& Setting(const wchar_t* name) {
    // Every name used here is one of the schema's; a miss would be a typo.
    static const config::Setting none{};
    const config::Setting* setting = config::FindSetting(name);
    return setting ? *setting : none;
  }

  HKEY key_;
};

std::vector<GroupLimit> ReadGroups(HKEY versionKey) {
  std::vector<GroupLimit> groups;
  unique_hkey key;
  if (::RegOpenKeyExW(versionKey, kGroupsSubkey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return groups;
  std::vector<wchar_t> name(16384);  // the registry's longest value name, and its terminator
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    LSTATUS status = ::RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                     reinterpret_cast<BYTE*>(&data), &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) continue;  // not a group's value
    std::optional<config::GroupValue> parsed = config::ParseGroupValueName(std::wstring_view(name.data(), nameLength));
    if (!parsed) continue;
    if (parsed->kind == config::GroupKind::Minutes && !config::IsValidIdleMinutes(data)) continue;
    groups.push_back(GroupLimit{std::move(parsed->group), parsed->kind, data});
  }
  return groups;
}

}  // namespace

std::vector<std::wstring> SplitFileList(std::wstring_view list) {
  std::vector<std::wstring> files;
  while (!list.empty()) {
    size_t comma = list.find(L',');
    std::wstring_view entry = list.substr(0, comma);
    size_t start = entry.find_first_not_of(L" \t");
    if (start != std::wstring_view::npos) {
      size_t end = entry.find_last_not_of(L" \t");
      files.emplace_back(entry.substr(start, end - start + 1));
    }
    if (comma == std::wstring_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return files;
}

EngineConfig ReadEngineConfig(HKEY versionKey) {
  using namespace config;
  ValueReader read(versionKey);
  EngineConfig c;
  c.action = PageAction(read.Text(kAction));
  c.idleMinutes = read.Number(kIdleMinutes);
  c.forceExit = read.Flag(kForceExit);
  c.runScript = read.Flag(kRunScript);
  c.logoffScript = read.Text(kLogoffScript);
  c.useLogFile = read.Flag(kUseLogFile);
  c.logDir = read.Text(kLogDir, true);
  c.useMutex = read.Flag(kUseMutex);
  c.ignoreNet = read.Flag(kIgnoreNet);
  c.useTray = read.Flag(kUseTray);
  c.enableDailyLogoff = read.Flag(kEnableDailyLogoff);
  c.dailyLogoffTime = read.Number(kDailyLogoffTime);
  c.onlyIfLocked = read.Flag(kOnlyLogoffIfLocked);
  c.onlyIfScreenSaver = read.Flag(kOnlyLogoffIfScreenSaver);
  c.multiGroupMaxPol = read.Number(kMultiGroupMaxPol);
  c.multiGroupDltPol = read.Number(kMultiGroupDltPol);
  c.multiGroupValPol = read.Number(kMultiGroupValPol);
  c.useCancelDlg = read.Flag(kUseCancelDlg);
  c.countdownSeconds = read.Number(kCountdownSeconds);
  c.customMessage = read.Text(kCustomMessage);
  c.enableUserCancel = read.Flag(kEnableUserCancel);
  c.wavFile = read.Text(kWavFile);
  c.playSound = read.Flag(kPlaySound);
  c.explorerSensitivity = read.Number(kExplorerSensitivity);
  c.excludeFiles = SplitFileList(read.Text(kExcludeFiles));
  c.netBytesSec = read.Number(kNetBytesSec);
  c.ignoreKernel = read.Flag(kIgnoreKernel);
  c.monitorMouse = read.Flag(kMonitorMouse);
  c.installDir = read.Text(kInstallDir);
  c.logonScreenShutdownMinutes = registry::TryGetDword(versionKey, kLogonScreenShutdownMinutesValue).value_or(0);
  c.dryRun = registry::TryGetDword(versionKey, kDryRunValue).value_or(0) != 0;
  c.groups = ReadGroups(versionKey);
  return c;
}

}  // namespace lullan::engine
