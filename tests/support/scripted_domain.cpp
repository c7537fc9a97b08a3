#include "scripted_domain.h"

#include <algorithm>
#include <cstring>

#include "machine_names.h"

namespace lullan::test {

namespace {

// The strings (and byte fields) of a LAN Manager answer, packed after its
// records. Without a start it only measures, so that one fill function sizes
// the block first and then writes it.
class TextArea {
 public:
  explicit TextArea(BYTE* start = nullptr) : start_(start) {}

  LPWSTR Put(const std::wstring& text) {
    return reinterpret_cast<LPWSTR>(PutBytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
  }
  PBYTE PutBytes(const void* data, size_t size) {
    used_ += used_ % sizeof(wchar_t);  // strings start on an even offset
    BYTE* at = start_ ? start_ + used_ : nullptr;
    if (at) std::memcpy(at, data, size);
    used_ += size;
    return at;
  }
  size_t used() const { return used_; }

 private:
  BYTE* start_;
  size_t used_ = 0;
};

// One NetApiBufferAllocate block holding `count` records filled by
// fill(Record* records, TextArea& text), as the real calls hand them out.
template <typename Record, typename Fill>
NET_API_STATUS AllocateAnswer(size_t count, const Fill& fill, LPBYTE* buffer) {
  std::vector<Record> measured(count);
  TextArea measure;
  fill(measured.data(), measure);
  const size_t recordBytes = count * sizeof(Record);
  void* block = nullptr;
  NET_API_STATUS status = ::NetApiBufferAllocate(static_cast<DWORD>(recordBytes + measure.used()), &block);
  if (status != NERR_Success) return status;
  std::memset(block, 0, recordBytes + measure.used());
  TextArea text(static_cast<BYTE*>(block) + recordBytes);
  fill(static_cast<Record*>(block), text);
  *buffer = static_cast<LPBYTE>(block);
  return NERR_Success;
}

// Next indexes of the group list: opaque numbers, not positions, so that a
// caller who counts entries instead of following them is caught.
constexpr DWORD kIndexBase = 0x1000;
constexpr DWORD kIndexStep = 3;
constexpr DWORD kMostEntriesPerCall = 100;

DWORD NextIndexAfter(size_t position) { return kIndexBase + static_cast<DWORD>(position + 1) * kIndexStep; }

}  // namespace

ScriptedDomain::Computer& ScriptedDomain::Computer::Nt(DWORD major, DWORD minor) {
  type = SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT;
  platformId = PLATFORM_ID_NT;
  return Version(major, minor);
}

ScriptedDomain::Computer& ScriptedDomain::Computer::ServerNt(DWORD major, DWORD minor) {
  type = SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT | SV_TYPE_SERVER_NT;
  platformId = PLATFORM_ID_NT;
  return Version(major, minor);
}

ScriptedDomain::Computer& ScriptedDomain::Computer::Win9x() {
  // Windows 95 announces itself with the LAN Manager platform id.
  type = SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_WINDOWS;
  platformId = PLATFORM_ID_OS2;
  return Version(4, 0);
}

ScriptedDomain::Computer& ScriptedDomain::Computer::Type(DWORD serverTypeBits) {
  type = serverTypeBits;
  return *this;
}

ScriptedDomain::Computer& ScriptedDomain::Computer::Version(DWORD major, DWORD minor) {
  versionMajor = major;
  versionMinor = minor;
  return *this;
}

ScriptedDomain::Computer& ScriptedDomain::Computer::Platform(DWORD id) {
  platformId = id;
  return *this;
}

ScriptedDomain::Computer& ScriptedDomain::Computer::Comment(const std::wstring& text) {
  comment = text;
  return *this;
}

ScriptedDomain::User& ScriptedDomain::User::Privilege(DWORD level) {
  privilege = level;
  return *this;
}

ScriptedDomain::User& ScriptedDomain::User::FullName(const std::wstring& text) {
  fullName = text;
  return *this;
}

ScriptedDomain::User& ScriptedDomain::User::Comment(const std::wstring& text) {
  comment = text;
  return *this;
}

ScriptedDomain& ScriptedDomain::DomainController(const std::wstring& name) {
  dcName_ = name.rfind(L"\\\\", 0) == 0 ? name : L"\\\\" + name;
  dcError_ = NERR_Success;
  return *this;
}

ScriptedDomain& ScriptedDomain::NoDomainController(NET_API_STATUS error) {
  dcError_ = error;
  return *this;
}

ScriptedDomain& ScriptedDomain::AddGroup(const std::wstring& name, const std::wstring& comment) {
  groups_.push_back(Group{name, comment});
  return *this;
}

ScriptedDomain& ScriptedDomain::AddGroups(std::initializer_list<const wchar_t*> names) {
  for (const wchar_t* name : names) AddGroup(name);
  return *this;
}

ScriptedDomain::Computer& ScriptedDomain::AddComputer(const std::wstring& name) {
  computers_.push_back(Computer{});
  computers_.back().name = name;
  return computers_.back();
}

ScriptedDomain& ScriptedDomain::AddComputerAccount(const std::wstring& accountName, DWORD flags) {
  accounts_.push_back(Account{accountName, flags});
  return *this;
}

ScriptedDomain::User& ScriptedDomain::AddUser(const std::wstring& name) {
  users_.push_back(User{});
  users_.back().name = name;
  return users_.back();
}

ScriptedDomain& ScriptedDomain::Workstation(const std::wstring& computerName, const std::wstring& domain) {
  workstationName_ = computerName;
  workstationDomain_ = domain;
  return *this;
}

ScriptedDomain& ScriptedDomain::FailServerEnum(NET_API_STATUS status, DWORD entries) {
  serverEnumStatus_ = status;
  serverEnumEntries_ = entries;
  return *this;
}

ScriptedDomain& ScriptedDomain::FailDisplayInformation(NET_API_STATUS status) {
  displayStatus_ = status;
  return *this;
}

ScriptedDomain& ScriptedDomain::FailUserGetInfo(NET_API_STATUS status) {
  userStatus_ = status;
  return *this;
}

ScriptedDomain& ScriptedDomain::FailWkstaGetInfo(NET_API_STATUS status) {
  workstationStatus_ = status;
  return *this;
}

NET_API_STATUS ScriptedDomain::ServerEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                                          LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LPCWSTR domain,
                                          LPDWORD resumeHandle) {
  serverEnums.push_back(ServerEnumCall{Recorded(serverName), level, preferredMaximumLength, serverType,
                                       Recorded(domain), resumeHandle != nullptr});
  *buffer = nullptr;
  *entriesRead = 0;
  *totalEntries = 0;
  if (level != 100 && level != 101) return ERROR_INVALID_LEVEL;

  std::vector<const Computer*> listed;
  for (const Computer& computer : computers_)
    if (serverType == SV_TYPE_ALL || (computer.type & serverType) != 0) listed.push_back(&computer);
  size_t count = listed.size();
  if (serverEnumEntries_) count = std::min<size_t>(count, *serverEnumEntries_);
  if (count == 0) return serverEnumStatus_;

  NET_API_STATUS status;
  if (level == 100) {
    status = AllocateAnswer<SERVER_INFO_100>(
        count,
        [&](SERVER_INFO_100* records, TextArea& text) {
          for (size_t i = 0; i < count; ++i) {
            records[i].sv100_platform_id = listed[i]->platformId;
            records[i].sv100_name = text.Put(listed[i]->name);
          }
        },
        buffer);
  } else {
    status = AllocateAnswer<SERVER_INFO_101>(
        count,
        [&](SERVER_INFO_101* records, TextArea& text) {
          for (size_t i = 0; i < count; ++i) {
            records[i].sv101_platform_id = listed[i]->platformId;
            records[i].sv101_name = text.Put(listed[i]->name);
            records[i].sv101_version_major = listed[i]->versionMajor;
            records[i].sv101_version_minor = listed[i]->versionMinor;
            records[i].sv101_type = listed[i]->type;
            records[i].sv101_comment = text.Put(listed[i]->comment);
          }
        },
        buffer);
  }
  if (status != NERR_Success) return status;
  *entriesRead = static_cast<DWORD>(count);
  *totalEntries = static_cast<DWORD>(listed.size());
  return serverEnumStatus_;
}

NET_API_STATUS ScriptedDomain::GetAnyDCName(LPCWSTR serverName, LPCWSTR domainName, LPBYTE* buffer) {
  dcQueries.push_back(DcCall{Recorded(serverName), Recorded(domainName)});
  *buffer = nullptr;
  if (dcError_ != NERR_Success) return dcError_;
  return AllocateAnswer<wchar_t>(
      0, [&](wchar_t*, TextArea& text) { text.Put(dcName_); }, buffer);
}

NET_API_STATUS ScriptedDomain::QueryDisplayInformation(LPCWSTR serverName, DWORD level, DWORD index,
                                                       DWORD entriesRequested, DWORD preferredMaximumLength,
                                                       LPDWORD returnedEntryCount, PVOID* sortedBuffer) {
  *returnedEntryCount = 0;
  *sortedBuffer = nullptr;
  NET_API_STATUS status = displayStatus_;
  if (status == NERR_Success)
    status = level == 2 || level == 3
                 ? ListPage(level, index, entriesRequested, preferredMaximumLength, returnedEntryCount, sortedBuffer)
                 : ERROR_INVALID_LEVEL;
  displayQueries.push_back(DisplayCall{Recorded(serverName), level, index, entriesRequested, preferredMaximumLength,
                                       status, *returnedEntryCount});
  return status;
}

NET_API_STATUS ScriptedDomain::ListPage(DWORD level, DWORD index, DWORD entriesRequested, DWORD preferredMaximumLength,
                                        LPDWORD returnedEntryCount, PVOID* sortedBuffer) const {
  const bool groups = level == 3;
  const size_t entries = groups ? groups_.size() : accounts_.size();
  size_t first = 0;
  if (index != 0) {
    if (index <= kIndexBase || (index - kIndexBase) % kIndexStep != 0 || (index - kIndexBase) / kIndexStep > entries)
      return ERROR_INVALID_PARAMETER;
    first = (index - kIndexBase) / kIndexStep;
  }
  if (entriesRequested == 0) return ERROR_INVALID_PARAMETER;

  // Entries until the preferred size would be passed, but at least one.
  auto bytesOf = [&](size_t position) {
    return groups ? sizeof(NET_DISPLAY_GROUP) +
                        (groups_[position].name.size() + groups_[position].comment.size() + 2) * sizeof(wchar_t)
                  : sizeof(NET_DISPLAY_MACHINE) + (accounts_[position].name.size() + 2) * sizeof(wchar_t);
  };
  const size_t most = std::min<DWORD>(entriesRequested, kMostEntriesPerCall);
  size_t count = 0;
  size_t bytes = 0;
  while (first + count < entries && count < most) {
    size_t entryBytes = bytesOf(first + count);
    if (count > 0 && bytes + entryBytes > preferredMaximumLength) break;
    bytes += entryBytes;
    ++count;
  }
  if (count == 0) return NERR_Success;  // past the last entry

  LPBYTE block = nullptr;
  NET_API_STATUS status;
  if (groups) {
    status = AllocateAnswer<NET_DISPLAY_GROUP>(
        count,
        [&](NET_DISPLAY_GROUP* records, TextArea& text) {
          for (size_t i = 0; i < count; ++i) {
            const size_t position = first + i;
            records[i].grpi3_name = text.Put(groups_[position].name);
            records[i].grpi3_comment = text.Put(groups_[position].comment);
            records[i].grpi3_group_id = DOMAIN_GROUP_RID_ADMINS + static_cast<DWORD>(position);
            records[i].grpi3_attributes = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
            records[i].grpi3_next_index = NextIndexAfter(position);
          }
        },
        &block);
  } else {
    status = AllocateAnswer<NET_DISPLAY_MACHINE>(
        count,
        [&](NET_DISPLAY_MACHINE* records, TextArea& text) {
          for (size_t i = 0; i < count; ++i) {
            const size_t position = first + i;
            records[i].usri2_name = text.Put(accounts_[position].name);
            records[i].usri2_comment = text.Put(L"");
            records[i].usri2_flags = accounts_[position].flags | UF_SCRIPT;
            records[i].usri2_user_id = 1100 + static_cast<DWORD>(position);
            records[i].usri2_next_index = NextIndexAfter(position);
          }
        },
        &block);
  }
  if (status != NERR_Success) return status;
  *sortedBuffer = block;
  *returnedEntryCount = static_cast<DWORD>(count);
  return first + count < entries ? ERROR_MORE_DATA : NERR_Success;
}

NET_API_STATUS ScriptedDomain::UserGetInfo(LPCWSTR serverName, LPCWSTR userName, DWORD level, LPBYTE* buffer) {
  userQueries.push_back(UserCall{Recorded(serverName), Recorded(userName), level});
  *buffer = nullptr;
  if (userStatus_ != NERR_Success) return userStatus_;
  if (level != 0 && level != 11) return ERROR_INVALID_LEVEL;
  auto found = std::find_if(users_.begin(), users_.end(), [&](const User& candidate) {
    return UpperCase(candidate.name) == UpperCase(Recorded(userName));
  });
  if (found == users_.end()) return NERR_UserNotFound;
  const User* user = &*found;

  if (level == 0) {
    return AllocateAnswer<USER_INFO_0>(
        1, [&](USER_INFO_0* record, TextArea& text) { record->usri0_name = text.Put(user->name); }, buffer);
  }
  return AllocateAnswer<USER_INFO_11>(
      1,
      [&](USER_INFO_11* record, TextArea& text) {
        record->usri11_name = text.Put(user->name);
        record->usri11_comment = text.Put(user->comment);
        record->usri11_usr_comment = text.Put(L"");
        record->usri11_full_name = text.Put(user->fullName);
        record->usri11_priv = user->privilege;
        record->usri11_home_dir = text.Put(L"");
        record->usri11_parms = text.Put(L"");
        record->usri11_logon_server = text.Put(L"\\\\*");
        record->usri11_workstations = text.Put(L"");
        record->usri11_max_storage = USER_MAXSTORAGE_UNLIMITED;
        record->usri11_units_per_week = UNITS_PER_WEEK;
        BYTE anyHour[UNITS_PER_WEEK / 8];
        std::memset(anyHour, 0xFF, sizeof anyHour);
        record->usri11_logon_hours = text.PutBytes(anyHour, sizeof anyHour);
      },
      buffer);
}

NET_API_STATUS ScriptedDomain::WkstaGetInfo(LPWSTR serverName, DWORD level, LPBYTE* buffer) {
  workstationQueries.push_back(Recorded(serverName));
  *buffer = nullptr;
  if (workstationStatus_ != NERR_Success) return workstationStatus_;
  if (level != 100) return ERROR_INVALID_LEVEL;
  return AllocateAnswer<WKSTA_INFO_100>(
      1,
      [&](WKSTA_INFO_100* record, TextArea& text) {
        record->wki100_platform_id = PLATFORM_ID_NT;
        record->wki100_computername = text.Put(workstationName_);
        record->wki100_langroup = text.Put(workstationDomain_);
        record->wki100_ver_major = 5;
        record->wki100_ver_minor = 0;
      },
      buffer);
}

}  // namespace lullan::test
