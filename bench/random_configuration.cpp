#include "random_configuration.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "handles.h"
#include "packed_time.h"
#include "product.h"
#include "registry_fixture.h"
#include "schema.h"

namespace lullan::bench {

namespace {

constexpr size_t kMostBytes = 4096;
constexpr size_t kMostChars = kMostBytes / sizeof(wchar_t) - 1;  // and a terminator
constexpr size_t kLongestValueName = 16383;

// splitmix64: small, fast, and the same sequence on every compiler.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 to n - 1 (0 when n is 0).
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
  bool Chance(unsigned percent) { return Below(100) < percent; }
  template <typename T>
  T Pick(std::initializer_list<T> choices) {
    return *(choices.begin() + Below(choices.size()));
  }

 private:
  uint64_t state_;
};

bool IsTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_LINK;
}

// The stored type: the value's own half the time, else a type of the wrong
// kind, or one nobody knows.
DWORD RandomType(Random& random, DWORD own) {
  if (random.Chance(45)) return own;
  if (random.Chance(10)) return static_cast<DWORD>(random.Next());
  return random.Pick<DWORD>({REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_LINK,
                             REG_MULTI_SZ, REG_RESOURCE_LIST, REG_QWORD});
}

// Numbers at and around every range's bounds, packed times good and bad,
// and the extremes.
DWORD RandomNumber(Random& random) {
  if (random.Chance(20)) return static_cast<DWORD>(random.Next());
  return random.Pick<DWORD>({0,
                             1,
                             2,
                             3,
                             4,
                             10,
                             29,
                             30,
                             31,
                             100,
                             119,
                             120,
                             121,
                             250,
                             10079,
                             10080,
                             10081,
                             0x7FFFFFFF,
                             0x80000000,
                             0xFFFFFFFE,
                             0xFFFFFFFF,
                             PackTime(0, 0),
                             PackTime(12, 0),
                             PackTime(23, 59),
                             0x00180000,
                             0x0000003C,
                             0x0000FFFF,
                             0xFFFF0000});
}

std::vector<BYTE> Bytes(const void* data, size_t size) {
  const BYTE* bytes = static_cast<const BYTE*>(data);
  return std::vector<BYTE>(bytes, bytes + size);
}

// A character as a text of the configuration might hold one: mostly what
// paths and lists are made of, sometimes any UTF-16 code unit at all (a
// lone surrogate, a null, a line break).
wchar_t RandomChar(Random& random, bool allowNull) {
  static constexpr wchar_t kPlain[] =
      L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:;-_\\/*?\"'&%$";
  if (random.Chance(85)) return kPlain[random.Below(std::size(kPlain) - 1)];
  wchar_t c = random.Pick<wchar_t>({L'\r', L'\n', L'\t', L'\0', 0x00E9, 0x20AC, 0xD800, 0xDC00, 0xFFFF, 0xFEFF});
  if (random.Chance(30)) c = static_cast<wchar_t>(random.Next());
  return c || allowNull ? c : L'x';
}

// A length around the limits the schema and the monitor know, or any.
size_t RandomLength(Random& random) {
  switch (random.Below(4)) {
    case 0:
      return random.Below(3);
    case 1:
      return 1 + random.Below(16);
    case 2:
      return random.Pick<size_t>({14, 15, 16, 62, 63, 64, 126, 127, 128, 198, 199, 200, 258, 259, 260, 261});
    default:
      return random.Below(kMostChars + 1);
  }
}

std::wstring RandomText(Random& random) {
  std::wstring text;
  if (random.Chance(30)) {
    // Words the pages read meaning into, alone or run together.
    do {
      text += random.Pick<const wchar_t*>({L"Logoff", L"Shutdown", L"reboot", L"Halt", L"C:\\autologoff.bat", L"250abc",
                                           L"abc", L"10", L"0", L"121", L"-5", L" 42", L"stdLogoff", L"PROFSRV",
                                           L"\\\\FS1\\media\\ding.wav", L"notepad.exe,calc.exe"});
    } while (random.Chance(30) && text.size() < kMostChars / 2);
    return text;
  }
  size_t length = RandomLength(random);
  for (size_t i = 0; i < length; ++i) text += RandomChar(random, true);
  return text;
}

std::vector<BYTE> TextData(Random& random, const std::wstring& text) {
  std::vector<BYTE> data = Bytes(text.c_str(), (text.size() + (random.Chance(70) ? 1 : 0)) * sizeof(wchar_t));
  if (random.Chance(10) && data.size() < kMostBytes) data.push_back(static_cast<BYTE>(random.Next()));  // odd size
  return data;
}

std::vector<BYTE> Noise(Random& random) {
  std::vector<BYTE> data(random.Chance(30) ? random.Below(kMostBytes + 1) : random.Below(65));
  for (BYTE& b : data) b = static_cast<BYTE>(random.Next());
  return data;
}

RawValue RandomValue(Random& random, DWORD ownType) {
  RawValue value{RandomType(random, ownType), {}};
  bool textLike = IsTextType(value.type);
  unsigned numberChance = textLike ? 10 : 60;
  unsigned textChance = textLike ? 70 : 10;
  size_t roll = random.Below(100);
  if (roll < numberChance) {
    DWORD number = RandomNumber(random);
    value.data = Bytes(&number, sizeof number);
  } else if (roll < numberChance + textChance) {
    value.data = TextData(random, RandomText(random));
  } else if (random.Chance(40)) {
    // Almost a DWORD: one to eight bytes.
    value.data = Noise(random);
    value.data.resize(random.Pick<size_t>({0, 1, 2, 3, 5, 6, 7, 8}));
  } else {
    value.data = Noise(random);
  }
  return value;
}

std::wstring RandomGroupName(Random& random) {
  std::wstring name;
  if (!random.Chance(10)) {
    wchar_t prefix = random.Chance(80) ? random.Pick<wchar_t>({L'm', L'd'}) : RandomChar(random, false);
    name += prefix;
  }
  size_t length = random.Chance(5)    ? random.Below(kLongestValueName + 1)
                  : random.Chance(25) ? random.Below(301)
                                      : random.Below(31);
  for (size_t i = 0; i < length; ++i) name += RandomChar(random, false);  // a name ends at its first null
  return name;
}

// The registry (Windows' and Wine's alike) looks at the code unit just past
// a text's data and, when it is a null, stores it too, taking the text for
// one whose terminator the caller forgot to count. A text meant to be stored
// without its terminator is therefore followed by code units that are not
// null; they also keep that look inside the buffer. (Without them, whether
// "Bye" in six bytes was stored as six or eight depended on what the heap
// held past the vector: six on i686, eight on x86_64.)
LSTATUS SetRaw(HKEY key, const std::wstring& name, const RawValue& value) {
  std::vector<BYTE> data = value.data;
  data.insert(data.end(), {0xFF, 0xFF, 0xFF});
  return ::RegSetValueExW(key, name.c_str(), 0, value.type, value.data.empty() ? nullptr : data.data(),
                          static_cast<DWORD>(value.data.size()));
}

}  // namespace

RandomConfiguration MakeRandomConfiguration(uint64_t seed, uint64_t caseNumber) {
  Random random(seed ^ (caseNumber * 0xD1B54A32D192ED03ull));
  RandomConfiguration c;
  for (const config::Setting& setting : config::Settings()) {
    if (random.Chance(20)) continue;  // absent
    c.values.push_back(NamedValue{setting.name, RandomValue(random, setting.RegistryType())});
  }
  c.hasGroups = !random.Chance(15);
  if (c.hasGroups) {
    size_t count = random.Below(13);
    for (size_t i = 0; i < count; ++i)
      c.groups.push_back(NamedValue{RandomGroupName(random), RandomValue(random, REG_DWORD)});
    c.groupsHasSubkey = random.Chance(5);
  }
  return c;
}

namespace {
void KeepOut(NamedValue& v, bool (*keptOut)(wchar_t)) {
  std::replace_if(v.name.begin(), v.name.end(), keptOut, L'?');
  for (size_t at = 0; at + sizeof(wchar_t) <= v.value.data.size(); at += sizeof(wchar_t)) {
    wchar_t unit = 0;
    std::copy_n(v.value.data.begin() + at, sizeof unit, reinterpret_cast<BYTE*>(&unit));
    if (keptOut(unit)) {
      unit = L'?';
      std::copy_n(reinterpret_cast<const BYTE*>(&unit), sizeof unit, v.value.data.begin() + at);
    }
  }
}
}  // namespace

void KeepOut(RandomConfiguration& c, bool (*keptOut)(wchar_t)) {
  for (NamedValue& v : c.values) KeepOut(v, keptOut);
  for (NamedValue& v : c.groups) KeepOut(v, keptOut);
}

bool Store(RandomConfiguration& c, const std::wstring& keyPath) {
  test::DeleteTree(HKEY_LOCAL_MACHINE, keyPath);
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  for (const NamedValue& v : c.values) SetRaw(key.get(), v.name, v.value);
  const std::wstring groupsPath = GroupsKeyPath(keyPath);
  if (c.hasGroups) {
    unique_hkey groups;
    if (::RegCreateKeyExW(key.get(), kGroupsSubkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, groups.put(), nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    for (const NamedValue& v : c.groups) SetRaw(groups.get(), v.name, v.value);
    if (c.groupsHasSubkey) {
      unique_hkey nested;
      ::RegCreateKeyExW(groups.get(), L"Nested", 0, nullptr, 0, KEY_WRITE, nullptr, nested.put(), nullptr);
    }
  }
  // What the registry took: a name it refused is not there, a name given
  // twice (the registry ignores case) is there once, with its last data.
  c.values = ReadAll(keyPath);
  c.groups = c.hasGroups ? ReadAll(groupsPath) : std::vector<NamedValue>{};
  return true;
}

std::optional<RawValue> ReadRaw(HKEY key, const wchar_t* name) {
  for (;;) {
    RawValue value{REG_NONE, {}};
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    value.data.resize(size);
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;  // grew in between
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.data.resize(size);
    return value;
  }
}

std::vector<NamedValue> ReadAll(const std::wstring& keyPath) {
  std::vector<NamedValue> all;
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return all;
  std::vector<wchar_t> name(kLongestValueName + 1);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    std::wstring valueName(name.data(), length);
    if (std::optional<RawValue> value = ReadRaw(key.get(), valueName.c_str())) {
      all.push_back(NamedValue{std::move(valueName), std::move(*value)});
    }
  }
  return all;
}

}  // namespace lullan::bench
