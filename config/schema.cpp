#include "schema.h"

#include <cwctype>

#include "action.h"

namespace lullan::config {
namespace {

constexpr ChangeBit D(DWORD bit) { return {ChangeMask::Dword, bit}; }
constexpr ChangeBit S(DWORD bit) { return {ChangeMask::String, bit}; }
constexpr ChangeBit kNoBit{ChangeMask::None, 0};
constexpr std::optional<DWORD> kNotWritten = std::nullopt;
constexpr DWORD kAnyNumber = 0xFFFFFFFF;

constexpr Setting Make(const wchar_t* name, Kind kind, unsigned pages, ChangeBit change) {
  return Setting{name, kind, 0, 0, 0, 0, L"", kNotWritten, false, pages, change, Writer::Pages, false, false, false};
}

constexpr Setting Flag(const wchar_t* name, bool absentOn, std::optional<DWORD> standard, unsigned pages,
                       ChangeBit change) {
  Setting s = Make(name, Kind::Flag, pages, change);
  s.max = 1;
  s.absentNumber = absentOn ? 1 : 0;
  s.standardNumber = standard;
  return s;
}

constexpr Setting Number(const wchar_t* name, DWORD min, DWORD max, DWORD absent, std::optional<DWORD> standard,
                         unsigned pages, ChangeBit change) {
  Setting s = Make(name, Kind::Number, pages, change);
  s.min = min;
  s.max = max;
  s.absentNumber = absent;
  s.standardNumber = standard;
  return s;
}

constexpr Setting Time(const wchar_t* name, std::optional<DWORD> standard, unsigned pages, ChangeBit change) {
  Setting s = Make(name, Kind::PackedTime, pages, change);
  s.max = kAnyNumber;  // a reader takes an hour above 23 or a minute above 59 as 0
  s.standardNumber = standard;
  return s;
}

constexpr Setting Text(const wchar_t* name, size_t maxChars, const wchar_t* absent, unsigned pages, ChangeBit change) {
  Setting s = Make(name, Kind::Text, pages, change);
  s.maxChars = maxChars;
  s.absentText = absent;
  return s;
}

// The pages' reading rules that differ from the plain one (a REG_DWORD or the
// absent value).
constexpr Setting AnyType(Setting s) {
  s.anyType = true;
  return s;
}
constexpr Setting RangeChecked(Setting s) {
  s.rangeChecked = true;
  return s;
}
constexpr Setting EmptyReadsAbsent(Setting s) {
  s.emptyReadsAbsent = true;
  return s;
}
constexpr Setting PerProfile(Setting s) {
  s.standardPerProfile = true;
  return s;
}
constexpr Setting WrittenBy(Writer writer, Setting s) {
  s.writer = writer;
  return s;
}

constexpr Setting kSettings[] = {
    // The General page and its daily logoff time dialog.
    PerProfile(Text(kAction, 8, kActionLogoff, kGeneralPage, S(0x1))),
    RangeChecked(Number(kIdleMinutes, kMinIdleMinutes, kMaxIdleMinutes, 30, 30, kGeneralPage, D(0x2))),
    Flag(kForceExit, true, 1, kGeneralPage, D(0x1)),
    Flag(kRunScript, false, 0, kGeneralPage, D(0x8)),
    EmptyReadsAbsent(Text(kLogoffScript, 199, L"C:\\autologoff.bat", kGeneralPage, S(0x4))),
    Flag(kUseLogFile, false, 0, kGeneralPage, D(0x4)),
    Text(kLogDir, 199, L"", kGeneralPage, S(0x2)),
    Flag(kUseMutex, false, 0, kGeneralPage, D(0x10)),
    Flag(kIgnoreNet, false, 0, kGeneralPage, D(0x20)),
    Flag(kUseTray, true, 1, kGeneralPage, D(0x40)),  // the page shows it inverted
    Flag(kEnableDailyLogoff, false, 0, kGeneralPage, D(0x80)),
    Time(kDailyLogoffTime, kNotWritten, kGeneralPage, D(0x200000)),
    Flag(kOnlyLogoffIfLocked, false, 0, kGeneralPage, D(0x100)),  // never on together with the next
    Flag(kOnlyLogoffIfScreenSaver, false, 0, kGeneralPage, D(0x200)),
    // The Groups page: 0 Biggest / 1 Smallest, 0 Earliest / 1 Latest, 0 Minutes / 1 Clock time.
    AnyType(Number(kMultiGroupMaxPol, 0, 1, 1, kNotWritten, kGroupsPage, D(0x800))),
    AnyType(Number(kMultiGroupDltPol, 0, 1, 0, kNotWritten, kGroupsPage, D(0x1000))),
    AnyType(Number(kMultiGroupValPol, 0, 1, 0, kNotWritten, kGroupsPage, D(0x2000))),
    // The Notification page. The standard profiles carry a countdown of 0, shown as 10.
    AnyType(Flag(kUseCancelDlg, false, 0, kNotificationPage, D(0x8000))),
    AnyType(RangeChecked(
        Number(kCountdownSeconds, kMinCountdownSeconds, kMaxCountdownSeconds, 10, 0, kNotificationPage, D(0x4000)))),
    Text(kCustomMessage, 127, L"", kNotificationPage, S(0x8)),
    AnyType(Flag(kEnableUserCancel, false, 0, kNotificationPage, D(0x20000))),
    Text(kWavFile, MAX_PATH - 1, L"", kNotificationPage, S(0x10)),
    Flag(kPlaySound, false, 0, kNotificationPage, D(0x10000)),  // always (WavFile not empty)
    // The Tuning page: sensitivity 0 Low to 3 High.
    Number(kExplorerSensitivity, 0, 3, 2, 1, kTuningPage, D(0x40000)),
    Text(kExcludeFiles, kUnlimited, L"", kTuningPage, S(0x20)),
    AnyType(Number(kNetBytesSec, 0, kAnyNumber, 100, kNotWritten, kTuningPage, D(0x100000))),
    Flag(kIgnoreKernel, false, 0, kTuningPage, D(0x80000)),
    Flag(kMonitorMouse, false, 0, kTuningPage, D(0x400000)),
    // The assignment of a shared profile. The monitor reads at most 128 and 32 bytes of these two.
    Text(kProfile, 63, L"", kProfilePage, S(0x40)),
    Text(kPLS, 15, L"", kProfilePage, S(0x80)),
    // Stamped by the General page in a profile, by setup's Profile page and by the console's
    // assignment; it has no change bit.
    Time(kProfileLastChanged, 0, kGeneralPage | kProfilePage, kNoBit),
    // Written by others and only read by the suite.
    WrittenBy(Writer::IdleService, Number(kSims, 0, kAnyNumber, 0, 0, kNoPage, kNoBit)),
    WrittenBy(Writer::IdleService, Text(kPrevUser, kUnlimited, L"", kNoPage, kNoBit)),
    WrittenBy(Writer::Installer, Text(kInstallDir, kUnlimited, L"", kNoPage, kNoBit)),
    WrittenBy(Writer::ByHand, Flag(kDebug, false, kNotWritten, kNoPage, kNoBit)),
};

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const Setting> Settings() { return kSettings; }

const Setting* FindSetting(std::wstring_view name) {
  for (const Setting& s : kSettings) {
    if (SameName(s.name, name)) return &s;
  }
  return nullptr;
}

const Setting* FindByChangeBit(ChangeMask mask, DWORD bit) {
  if (mask == ChangeMask::None || bit == 0) return nullptr;
  for (const Setting& s : kSettings) {
    if (s.change.mask == mask && s.change.bit == bit) return &s;
  }
  return nullptr;
}

DWORD ReadNumber(const Setting& setting, std::optional<StoredDword> stored) {
  if (setting.IsText() || !stored) return setting.absentNumber;
  if (!setting.anyType && stored->type != REG_DWORD) return setting.absentNumber;
  if (setting.rangeChecked && (stored->data < setting.min || stored->data > setting.max)) {
    return setting.absentNumber;
  }
  return stored->data;
}

std::wstring ReadText(const Setting& setting, std::optional<std::wstring_view> stored) {
  if (!setting.IsText() || !stored) return setting.absentText;
  if (stored->empty() && setting.emptyReadsAbsent) return setting.absentText;
  return std::wstring(*stored);
}

std::wstring_view CutToLimit(const Setting& setting, std::wstring_view text) {
  if (!setting.IsText() || setting.maxChars == kUnlimited) return text;
  return text.substr(0, setting.maxChars);
}

}  // namespace lullan::config
