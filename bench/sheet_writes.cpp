#include "sheet_writes.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "handles.h"
#include "packed_time.h"
#include "product.h"
#include "schema.h"
#include "text_format.h"

namespace lullan::bench {

namespace {

using config::Kind;
using config::Setting;
using namespace config;  // the value names

bool WritesProfileStamp(Opener opener) { return opener != Opener::ConsoleMachine; }
bool OnProfile(Opener opener) { return opener == Opener::ConsoleEditProfile || opener == Opener::ProfileManager; }

std::optional<DWORD> Dword(const RawValue& v) {
  if (v.type != REG_DWORD || v.data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD number = 0;
  std::copy(v.data.begin(), v.data.end(), reinterpret_cast<BYTE*>(&number));
  return number;
}

// A flag as the pages read it: on when a four-byte REG_DWORD is not 0.
bool ReadsOn(const RandomConfiguration& c, const wchar_t* name) {
  for (const NamedValue& v : c.values) {
    if (v.name == name) return Dword(v.value).value_or(0) != 0;
  }
  return false;
}

// What the pages write when they have been shown and are confirmed with
// nothing changed.
std::set<std::wstring> PageWrites(Opener opener, const RandomConfiguration& before) {
  std::set<std::wstring> written;
  if (opener == Opener::Setup) {
    // setup keeps no masks: the General page writes all its values.
    written = {kAction,
               kForceExit,
               kIdleMinutes,
               kUseLogFile,
               kLogDir,
               kRunScript,
               kLogoffScript,
               kUseMutex,
               kIgnoreNet,
               kUseTray,
               kEnableDailyLogoff,
               kOnlyLogoffIfLocked,
               kOnlyLogoffIfScreenSaver};
  } else {
    // The console writes what its masks name: the three edits marked their filling.
    written = {kIdleMinutes, kLogDir, kLogoffScript};
    // Both "Only logoff if" flags read on: the General page keeps the first
    // and marks the pair, as a click would.
    if (ReadsOn(before, kOnlyLogoffIfLocked) && ReadsOn(before, kOnlyLogoffIfScreenSaver)) {
      written.insert({kOnlyLogoffIfLocked, kOnlyLogoffIfScreenSaver});
    }
  }
  written.insert({kMultiGroupMaxPol, kMultiGroupDltPol, kMultiGroupValPol});
  written.insert({kExplorerSensitivity, kIgnoreKernel, kMonitorMouse, kExcludeFiles, kNetBytesSec});
  written.insert({kCustomMessage, kWavFile, kCountdownSeconds, kUseCancelDlg, kPlaySound, kEnableUserCancel});
  if (PagesOf(opener) == SheetPages::Machine && !OnProfile(opener)) written.insert({kProfile, kPLS});
  if (WritesProfileStamp(opener))
    written.insert(kProfileLastChanged);  // a profile's General page, setup's Profile page
  return written;
}

std::map<std::wstring, RawValue> ByName(const std::vector<NamedValue>& values) {
  std::map<std::wstring, RawValue> named;
  for (const NamedValue& v : values) named.emplace(v.name, v.value);
  return named;
}

// The text of a well-formed REG_SZ: even size, one terminator, at the end.
std::optional<std::wstring> Text(const RawValue& v) {
  if (v.type != REG_SZ || v.data.size() < sizeof(wchar_t) || v.data.size() % sizeof(wchar_t)) return std::nullopt;
  std::wstring text(v.data.size() / sizeof(wchar_t), L'\0');
  std::copy(v.data.begin(), v.data.end(), reinterpret_cast<BYTE*>(text.data()));
  if (text.back() != L'\0') return std::nullopt;
  text.pop_back();
  if (text.find(L'\0') != std::wstring::npos) return std::nullopt;
  return text;
}

std::wstring Describe(const RawValue& v) {
  if (std::optional<DWORD> number = Dword(v)) return FormatText(L"REG_DWORD %lu (0x%08lX)", *number, *number);
  if (std::optional<std::wstring> text = Text(v)) {
    return FormatText(L"REG_SZ of %u characters \"%s%s\"", static_cast<unsigned>(text->size()),
                      text->substr(0, 40).c_str(), text->size() > 40 ? L"..." : L"");
  }
  return FormatText(L"type %lu, %u bytes", v.type, static_cast<unsigned>(v.data.size()));
}

// What is wrong with `v` as the stored value of `s`, or nothing.
std::optional<std::wstring> Broken(const Setting& s, const RawValue& v, const std::map<std::wstring, RawValue>& after) {
  if (s.IsText()) {
    std::optional<std::wstring> text = Text(v);
    if (!text) return L"not a terminated REG_SZ: " + Describe(v);
    if (s.maxChars != kUnlimited && text->size() > s.maxChars) {
      return FormatText(L"%u characters, more than %u", static_cast<unsigned>(text->size()),
                        static_cast<unsigned>(s.maxChars));
    }
    if (s.name == std::wstring(kAction) && *text != L"Logoff" && *text != L"Shutdown" && *text != L"Reboot") {
      return L"\"" + *text + L"\" is no action";
    }
    return std::nullopt;
  }
  std::optional<DWORD> number = Dword(v);
  if (!number) return L"not a four-byte REG_DWORD: " + Describe(v);
  switch (s.kind) {
    case Kind::Flag:
      if (*number > 1) return FormatText(L"%lu is no flag", *number);
      break;
    case Kind::PackedTime:
      if (UnpackTime(*number).hour != *number >> 16 || UnpackTime(*number).minute != (*number & 0xFFFF)) {
        return FormatText(L"0x%08lX is no time of day", *number);
      }
      break;
    default: {
      // An emptied countdown edit turns the countdown off and is stored as 0.
      auto countdownOff = [&] {
        auto use = after.find(kUseCancelDlg);
        return use != after.end() && Dword(use->second) == 0u;
      };
      bool emptiedCountdown = s.name == std::wstring(kCountdownSeconds) && *number == 0 && countdownOff();
      if ((*number < s.min || *number > s.max) && !emptiedCountdown) {
        return FormatText(L"%lu is outside %lu to %lu", *number, s.min, s.max);
      }
      break;
    }
  }
  return std::nullopt;
}

// The rules that tie values together, for the values judged.
void CheckTogether(const std::map<std::wstring, RawValue>& after, const std::set<std::wstring>& judged,
                   std::vector<std::wstring>& faults) {
  auto number = [&](const wchar_t* name) -> std::optional<DWORD> {
    auto it = after.find(name);
    return it == after.end() ? std::nullopt : Dword(it->second);
  };
  auto text = [&](const wchar_t* name) -> std::wstring {
    auto it = after.find(name);
    return it == after.end() ? std::wstring() : Text(it->second).value_or(L"");
  };
  auto either = [&](const wchar_t* a, const wchar_t* b) { return judged.count(a) || judged.count(b); };
  if (either(kPlaySound, kWavFile) && number(kPlaySound) != (text(kWavFile).empty() ? 0u : 1u)) {
    faults.push_back(
        FormatText(L"PlaySound %lu with WavFile \"%s\"", number(kPlaySound).value_or(~0ul), text(kWavFile).c_str()));
  }
  if (either(kOnlyLogoffIfLocked, kOnlyLogoffIfScreenSaver) && number(kOnlyLogoffIfLocked) == 1u &&
      number(kOnlyLogoffIfScreenSaver) == 1u) {
    faults.push_back(L"OnlyLogoffIfLocked and OnlyLogoffIfScreenSaver are both on");
  }
  if (either(kProfile, kPLS) && !text(kProfile).empty() && text(kPLS).empty()) {
    faults.push_back(L"Profile \"" + text(kProfile) + L"\" without a server (PLS)");
  }
}

}  // namespace

SheetPages PagesOf(Opener opener) {
  return opener == Opener::ProfileManager ? SheetPages::Profile : SheetPages::Machine;
}

std::vector<std::wstring> JudgeWrites(Opener opener, const RandomConfiguration& before, const std::wstring& keyPath,
                                      bool confirmed) {
  std::vector<std::wstring> faults;
  const std::map<std::wstring, RawValue> was = ByName(before.values);
  const std::map<std::wstring, RawValue> is = ByName(ReadAll(keyPath));
  const std::set<std::wstring> writes = confirmed ? PageWrites(opener, before) : std::set<std::wstring>{};

  std::set<std::wstring> judged;
  for (const auto& [name, value] : is) {
    auto old = was.find(name);
    bool changed = old == was.end() || !(old->second == value);
    if (!changed && !writes.count(name)) continue;  // as stored: not the sheet's
    judged.insert(name);
    const Setting* setting = FindSetting(name);
    if (!writes.count(name)) {
      faults.push_back(name + L": written, though no page writes it: " + Describe(value));
    } else if (std::optional<std::wstring> broken = Broken(*setting, value, is)) {
      faults.push_back(name + L": " + *broken);
    }
  }
  for (const auto& [name, value] : was) {
    if (!is.count(name)) faults.push_back(name + L": removed");
  }
  CheckTogether(is, judged, faults);

  // Only Add, Edit and Delete change the groups; the page makes a missing subkey.
  std::map<std::wstring, RawValue> groupsWere = ByName(before.groups);
  std::map<std::wstring, RawValue> groupsAre = ByName(ReadAll(GroupsKeyPath(keyPath)));
  if (groupsAre != groupsWere) {
    faults.push_back(FormatText(L"Groups: its values changed (%u before, %u after)",
                                static_cast<unsigned>(groupsWere.size()), static_cast<unsigned>(groupsAre.size())));
  }
  return faults;
}

std::vector<std::wstring> MissingWrites(Opener opener, const RandomConfiguration& before, const std::wstring& keyPath,
                                        bool confirmed) {
  std::vector<std::wstring> missing;
  if (!confirmed) return missing;
  const std::map<std::wstring, RawValue> is = ByName(ReadAll(keyPath));
  for (const std::wstring& name : PageWrites(opener, before)) {
    if (!is.count(name)) missing.push_back(name + L": not written");
  }
  return missing;
}

}  // namespace lullan::bench
