// Copying the shared profile from the profile server over the workstation's
// configuration: the profile key's subkeys first (one level deep), then its
// own values. The copy only adds and overwrites; what the workstation has
// and the profile lacks stays. Every value up to 1 MiB is copied whole.
#include <algorithm>
#include <vector>

#include "handles.h"
#include "monitor_log.h"
#include "monitor_state.h"
#include "product.h"
#include "profile_server.h"
#include "profile_sync.h"
#include "text_format.h"

namespace lullan::profmon {

namespace {

// What the profile server reports sizes no buffer beyond these. No value of a
// configuration comes near a mebibyte; a larger one is passed over with a log
// line. Names are bounded by the registry itself.
constexpr DWORD kLargestValue = 1 << 20;    // bytes
constexpr DWORD kLongestValueName = 16383;  // characters, without terminator
constexpr DWORD kLongestKeyName = 255;      // characters, without terminator

struct KeyShape {
  DWORD subkeys = 0;
  DWORD longestSubkeyName = 0;  // characters, without terminator
  DWORD values = 0;
  DWORD longestValueName = 0;  // characters, without terminator
  DWORD longestValueData = 0;  // bytes
};

bool QueryShape(HKEY key, KeyShape* shape) {
  return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &shape->subkeys, &shape->longestSubkeyName, nullptr,
                            &shape->values, &shape->longestValueName, &shape->longestValueData, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

// Buffers sized from what the key reports, up to the limits above. The data
// buffer has one byte beyond what enumeration may fill, kept zero: a text is
// written with one byte more than it was stored with.
class ValueBuffers {
 public:
  void Fit(const KeyShape& shape) {
    size_t name = std::min(shape.longestValueName, kLongestValueName) + size_t{1};
    size_t data = std::min(shape.longestValueData, kLargestValue) + size_t{1};
    if (name_.size() < name) name_.resize(name);
    if (data_.size() < data) data_.resize(data);
  }
  wchar_t* name() { return name_.data(); }
  // Whatever an enumeration left in the name buffer reads as a text.
  LSTATUS Terminated(LSTATUS status) {
    name_.back() = L'\0';
    return status;
  }
  DWORD nameCapacity() const { return static_cast<DWORD>(name_.size()); }
  BYTE* data() { return data_.data(); }
  DWORD dataCapacity() const { return static_cast<DWORD>(data_.size() - 1); }

 private:
  std::vector<wchar_t> name_ = std::vector<wchar_t>(1);
  std::vector<BYTE> data_ = std::vector<BYTE>(2);
};

// Enumerates value `index` of `from` into the buffers; a value that grew since
// the key was measured is measured again once. ERROR_MORE_DATA after that
// means a value over the limit, whose name alone is then in the buffer.
LSTATUS EnumValue(HKEY from, DWORD index, ValueBuffers& buffers, DWORD* type, DWORD* size) {
  for (int attempt = 0;; ++attempt) {
    DWORD nameLength = buffers.nameCapacity();
    *size = buffers.dataCapacity();
    std::fill(buffers.data(), buffers.data() + buffers.dataCapacity() + 1, BYTE{0});
    LSTATUS status = ::RegEnumValueW(from, index, buffers.name(), &nameLength, nullptr, type, buffers.data(), size);
    if (status != ERROR_MORE_DATA) return buffers.Terminated(status);
    if (attempt > 0) {
      nameLength = buffers.nameCapacity();
      ::RegEnumValueW(from, index, buffers.name(), &nameLength, nullptr, nullptr, nullptr, nullptr);
      return buffers.Terminated(status);
    }
    KeyShape shape;
    if (!QueryShape(from, &shape)) return status;
    buffers.Fit(shape);
  }
}

void LogValueTooLarge(const wchar_t* name, const std::wstring& keyPath, const std::wstring& server) {
  LogLine(FormatText(L"Error: value %s of %s on %s is larger than 1 MiB; not copied", name, keyPath.c_str(),
                     server.c_str()));
}

// Writes one enumerated value; a text goes with one byte more than it was
// stored with, as the idle-logoff service has always been given it.
LSTATUS WriteValue(HKEY to, ValueBuffers& buffers, DWORD type, DWORD size) {
  DWORD written = type == REG_SZ ? size + 1 : size;
  return ::RegSetValueExW(to, buffers.name(), 0, type, buffers.data(), written);
}

void CopySubkey(HKEY profileKey, HKEY localKey, const wchar_t* name, const std::wstring& profileKeyPath,
                const std::wstring& server) {
  unique_hkey localSubkey;
  if (::RegCreateKeyExW(localKey, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, localSubkey.put(),
                        nullptr) != ERROR_SUCCESS)
    return;
  unique_hkey remoteSubkey;
  if (::RegOpenKeyExW(profileKey, name, 0, KEY_READ, remoteSubkey.put()) != ERROR_SUCCESS) return;

  KeyShape shape;
  if (!QueryShape(remoteSubkey.get(), &shape)) return;
  ValueBuffers buffers;
  buffers.Fit(shape);
  for (DWORD index = 0; index < shape.values; ++index) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = EnumValue(remoteSubkey.get(), index, buffers, &type, &size);
    if (status == ERROR_SUCCESS) {
      WriteValue(localSubkey.get(), buffers, type, size);
    } else if (status == ERROR_MORE_DATA) {
      LogValueTooLarge(buffers.name(), profileKeyPath + L"\\" + name, server);
    }
  }
}

}  // namespace

bool GetRemoteConfig() {
  const MonitorState& monitor = Monitor();
  DebugLine(L"dbg> entered GetRemoteConfig");
  if (monitor.profileServer[0] == L'\0') return false;
  std::wstring server = ProfileServerUnc(monitor.profileServer);

  unique_hkey remoteRoot;
  if (!ConnectToProfileServer(server, &remoteRoot)) return false;

  std::wstring profileKeyPath = ProfileKeyPath(monitor.configKeyPath, monitor.profileName);
  unique_hkey profileKey;
  if (::RegOpenKeyExW(remoteRoot.get(), profileKeyPath.c_str(), 0, KEY_READ, profileKey.put()) != ERROR_SUCCESS) {
    DebugLine(FormatText(L"dbg> error opening remote key %s", profileKeyPath.c_str()));
    return false;
  }

  unique_hkey localKey;
  LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, monitor.configKeyPath.c_str(), 0, KEY_WRITE, localKey.put());
  if (status != ERROR_SUCCESS) {
    DebugLine(
        FormatText(L"dbg> error %d opening local key %s", static_cast<int>(status), monitor.configKeyPath.c_str()));
    return false;
  }

  KeyShape shape;
  QueryShape(profileKey.get(), &shape);
  if (shape.subkeys == 0) {
    DebugLine(L"dbg> no subkeys found");
  } else {
    std::vector<wchar_t> subkeyName(std::min(shape.longestSubkeyName, kLongestKeyName) + size_t{1});
    for (DWORD index = 0; index < shape.subkeys; ++index) {
      DWORD length = static_cast<DWORD>(subkeyName.size());
      if (::RegEnumKeyExW(profileKey.get(), index, subkeyName.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
          ERROR_SUCCESS)
        CopySubkey(profileKey.get(), localKey.get(), subkeyName.data(), profileKeyPath, server);
    }
  }

  if (shape.values == 0) {
    DebugLine(FormatText(L"dbg> no entries found for profile %s on %s", monitor.profileName, server.c_str()));
  } else {
    ValueBuffers buffers;
    buffers.Fit(shape);
    for (DWORD index = 0; index < shape.values; ++index) {
      DWORD type = 0;
      DWORD size = 0;
      LSTATUS status = EnumValue(profileKey.get(), index, buffers, &type, &size);
      if (status == ERROR_SUCCESS) {
        WriteValue(localKey.get(), buffers, type, size);
      } else {
        if (status == ERROR_MORE_DATA) LogValueTooLarge(buffers.name(), profileKeyPath, server);
        DebugLine(FormatText(L"dbg> error setting reg val %s from %s", buffers.name(), server.c_str()));
      }
    }
    DebugLine(L"dbg> about to close registry keys");
  }

  localKey.reset();
  profileKey.reset();
  remoteRoot.reset();
  DebugLine(L"dbg> closed registry keys; about to call HeapFree");
  DebugLine(L"dbg> leaving GetRemoteConfig");
  return true;
}

}  // namespace lullan::profmon
