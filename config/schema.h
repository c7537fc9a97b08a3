// The idle-logoff configuration: every value a version key (and a profile key
// or a local copy key) can hold, with its type, range, default, the value each
// standard profile receives, the page that edits it and its change bit. The
// pages, setup and the console read these facts from here instead of
// repeating them.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lullan::config {

// Value names, spelled once.
inline constexpr wchar_t kAction[] = L"Action";
inline constexpr wchar_t kIdleMinutes[] = L"IdleMinutes";
inline constexpr wchar_t kForceExit[] = L"ForceExit";
inline constexpr wchar_t kRunScript[] = L"RunScript";
inline constexpr wchar_t kLogoffScript[] = L"LogoffScript";
inline constexpr wchar_t kUseLogFile[] = L"UseLogFile";
inline constexpr wchar_t kLogDir[] = L"LogDir";
inline constexpr wchar_t kUseMutex[] = L"UseMutex";
inline constexpr wchar_t kIgnoreNet[] = L"IgnoreNet";
inline constexpr wchar_t kUseTray[] = L"UseTray";
inline constexpr wchar_t kEnableDailyLogoff[] = L"EnableDailyLogoff";
inline constexpr wchar_t kDailyLogoffTime[] = L"DailyLogoffTime";
inline constexpr wchar_t kOnlyLogoffIfLocked[] = L"OnlyLogoffIfLocked";
inline constexpr wchar_t kOnlyLogoffIfScreenSaver[] = L"OnlyLogoffIfScreenSaver";
inline constexpr wchar_t kMultiGroupMaxPol[] = L"MultiGroupMaxPol";
inline constexpr wchar_t kMultiGroupDltPol[] = L"MultiGroupDltPol";
inline constexpr wchar_t kMultiGroupValPol[] = L"MultiGroupValPol";
inline constexpr wchar_t kUseCancelDlg[] = L"UseCancelDlg";
inline constexpr wchar_t kCountdownSeconds[] = L"CountdownSeconds";
inline constexpr wchar_t kCustomMessage[] = L"CustomMessage";
inline constexpr wchar_t kEnableUserCancel[] = L"EnableUserCancel";
inline constexpr wchar_t kWavFile[] = L"WavFile";
inline constexpr wchar_t kPlaySound[] = L"PlaySound";
inline constexpr wchar_t kExplorerSensitivity[] = L"ExplorerSensitivity";
inline constexpr wchar_t kExcludeFiles[] = L"ExcludeFiles";
inline constexpr wchar_t kNetBytesSec[] = L"NetBytesSec";
inline constexpr wchar_t kIgnoreKernel[] = L"IgnoreKernel";
inline constexpr wchar_t kMonitorMouse[] = L"MonitorMouse";
inline constexpr wchar_t kProfile[] = L"Profile";
inline constexpr wchar_t kPLS[] = L"PLS";
inline constexpr wchar_t kProfileLastChanged[] = L"ProfileLastChanged";
// Written by others and only read by the suite.
inline constexpr wchar_t kSims[] = L"sims$";
inline constexpr wchar_t kPrevUser[] = L"PrevUser";
inline constexpr wchar_t kInstallDir[] = L"InstallDir";
inline constexpr wchar_t kDebug[] = L"Debug";

inline constexpr DWORD kMinIdleMinutes = 1;
inline constexpr DWORD kMaxIdleMinutes = 10080;  // one week
inline constexpr DWORD kMinCountdownSeconds = 1;
inline constexpr DWORD kMaxCountdownSeconds = 120;
inline constexpr size_t kUnlimited = static_cast<size_t>(-1);

// What a DWORD holds; a flag is on when non-zero.
enum class Kind { Flag, Number, PackedTime, Text };

// The pages that edit a value (a value can have several editors).
enum Page : unsigned {
  kNoPage = 0,
  kGeneralPage = 0x1,  // including its daily logoff time dialog
  kGroupsPage = 0x2,
  kNotificationPage = 0x4,
  kTuningPage = 0x8,
  kProfilePage = 0x10,
};

// The change masks `dwordChangeMask` and `stringChangeMask` hold one bit per
// value; the console copies back what they name.
enum class ChangeMask { None, Dword, String };
struct ChangeBit {
  ChangeMask mask;
  DWORD bit;
};
// The Groups subkey has a bit of its own in the DWORD mask, and no value.
inline constexpr ChangeBit kGroupsChangeBit{ChangeMask::Dword, 0x400};

// Who writes the value.
enum class Writer { Pages, IdleService, Installer, ByHand };

struct Setting {
  const wchar_t* name;
  Kind kind;
  DWORD min;  // Number: the range
  DWORD max;
  size_t maxChars;     // Text: the longest text stored, kUnlimited for any length
  DWORD absentNumber;  // what the pages show when the value is missing or unreadable
  const wchar_t* absentText;
  std::optional<DWORD> standardNumber;  // what each standard profile receives; none: not written
  bool standardPerProfile;              // Text written per standard profile (Action)
  unsigned pages;
  ChangeBit change;
  Writer writer;
  // Reading rules of the pages:
  bool anyType;           // taken whenever the query succeeds, whatever the stored type
  bool rangeChecked;      // a number outside min..max reads as absentNumber
  bool emptyReadsAbsent;  // an empty text reads as absentText

  bool IsText() const { return kind == Kind::Text; }
  DWORD RegistryType() const { return IsText() ? REG_SZ : REG_DWORD; }
};

// Every value of the version key, once.
std::span<const Setting> Settings();

// The value of that name (compared without regard to case, as the registry
// does), or null.
const Setting* FindSetting(std::wstring_view name);

// The value whose change bit is `bit` in `mask`, or null; the console's
// copy-back walks each mask from its lowest bit up.
const Setting* FindByChangeBit(ChangeMask mask, DWORD bit);

// What a page reads for a DWORD value. `stored` is the type and four-byte data
// of a query that succeeded; nullopt when the query failed.
struct StoredDword {
  DWORD type;
  DWORD data;
};
DWORD ReadNumber(const Setting& setting, std::optional<StoredDword> stored);

// What a page reads for a text value: `stored` is the text a query gave,
// nullopt when it failed.
std::wstring ReadText(const Setting& setting, std::optional<std::wstring_view> stored);

// What is stored of `text`: at most the value's longest text.
std::wstring_view CutToLimit(const Setting& setting, std::wstring_view text);

// The idle minutes of the IdleMinutes value and of a minutes group.
constexpr bool IsValidIdleMinutes(DWORD minutes) { return minutes >= kMinIdleMinutes && minutes <= kMaxIdleMinutes; }

}  // namespace lullan::config
